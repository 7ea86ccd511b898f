#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A 16-bit PCM RIFF/WAVE file; `samples` are interleaved by channel.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int channels, int sampleRate);

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int channels,
              int sampleRate, std::string& error);
