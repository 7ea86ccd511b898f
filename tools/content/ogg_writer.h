#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Ogg Vorbis, variable bit rate at `quality` (-0.1 to 1.0, as libvorbis's
// encoder takes it); `samples` are interleaved by channel. Empty when the
// encoder refuses the format.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int channels,
                                     int sampleRate, float quality);

bool WriteOggVorbis(const std::string& path, const std::vector<int16_t>& samples, int channels,
                    int sampleRate, float quality, std::string& error);
