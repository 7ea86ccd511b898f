#pragma once
#include <SDL.h>

#include <string>
#include <vector>

extern int gScreenWidth;
extern int gScreenHeight;
extern int gHalfWidth;
extern int gHalfHeight;
extern float gScreenWidthF;
extern float gScreenHeightF;
extern int gScreenBpp;

// A picture size in pixels.
struct VideoSize {
  int width = 0;
  int height = 0;
  bool operator==(const VideoSize& o) const { return width == o.width && height == o.height; }
};

// The sizes "Resolution" steps through, smallest first: those the display
// offers for full screen, and always 640 x 480, 800 x 600 and 1024 x 768.
// Filled by InitVideo.
extern std::vector<VideoSize> gVideoSizes;

// Opens the OpenGL window, full screen or, with --window, in a window; false,
// with the reason in `error`, when no OpenGL mode can be had.
bool InitVideo(std::string& error);
// The sizes offered from SDL_ListModes' answer (null: none; -1: any), with
// the three standard sizes, none smaller than 640 x 480, smallest first.
std::vector<VideoSize> VideoSizesFrom(SDL_Rect** modes);
// The size after `current` in `sizes`, wrapping round to the first.
VideoSize NextVideoSize(const std::vector<VideoSize>& sizes, VideoSize current);
// Sets the video mode to the new size, then SetScreenSize. The GL context
// and everything made in it survive the change under sdl12-compat. When the
// mode cannot be had the old one stays, and the reason is printed.
bool ChangeVideoMode(int width, int height);
void InitProjection(int width, int height);
// The viewport and a 45-degree perspective reaching to `farPlane`.
void SetPerspective(int width, int height, double farPlane);
void SetScreenSize(int width, int height);
// Gives light 0 the light of the menu and of every entry into play.
void ApplyStandardLight();
