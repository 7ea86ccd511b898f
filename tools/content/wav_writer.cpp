#include "tools/content/wav_writer.h"

#include "tools/common/byte_writer.h"

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int channels, int sampleRate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
  ByteWriter out;
  out.Bytes("RIFF", 4);
  out.U32(36 + dataBytes);
  out.Bytes("WAVE", 4);
  out.Bytes("fmt ", 4);
  out.U32(16);
  out.U16(1);  // PCM
  out.U16(static_cast<uint16_t>(channels));
  out.U32(static_cast<uint32_t>(sampleRate));
  out.U32(static_cast<uint32_t>(sampleRate) * blockAlign);
  out.U16(blockAlign);
  out.U16(16);
  out.Bytes("data", 4);
  out.U32(dataBytes);
  for (int16_t s : samples) out.I16(s);
  return std::move(out.Bytes());
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int channels,
              int sampleRate, std::string& error) {
  return WriteFileBytes(path, EncodeWav(samples, channels, sampleRate), error);
}
