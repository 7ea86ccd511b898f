#pragma once

extern int gScreenWidth;
extern int gScreenHeight;
extern int gHalfWidth;
extern int gHalfHeight;
extern float gScreenWidthF;
extern float gScreenHeightF;
extern int gScreenBpp;

// Opens the full-screen OpenGL window; false, with the reason printed, when
// no OpenGL mode can be had.
bool InitVideo();
void InitProjection(int width, int height);
// The viewport and a 45-degree perspective reaching to `farPlane`.
void SetPerspective(int width, int height, double farPlane);
void SetScreenSize(int width, int height);
// Gives light 0 the light of the menu and of every entry into play.
void ApplyStandardLight();
