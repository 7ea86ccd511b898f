#include "tools/content/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <cstdlib>

#include "tools/common/byte_writer.h"

namespace {

// libvorbis's encoder state, released however the encoding ends.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysing = false;

  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysing) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
};

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int channels,
                                     int sampleRate, float quality) {
  std::vector<uint8_t> out;
  Encoder e;
  if (channels <= 0 || vorbis_encode_init_vbr(&e.info, channels, sampleRate, quality) != 0) {
    return out;
  }
  vorbis_comment_add_tag(&e.comment, "ENCODER", "driftwing make_content");
  vorbis_analysis_init(&e.dsp, &e.info);
  vorbis_block_init(&e.dsp, &e.block);
  ogg_stream_init(&e.stream, 1);  // one stream; the serial number is fixed so builds agree
  e.analysing = true;

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&e.dsp, &e.comment, &header, &comments, &codebooks);
  ogg_stream_packetin(&e.stream, &header);
  ogg_stream_packetin(&e.stream, &comments);
  ogg_stream_packetin(&e.stream, &codebooks);
  ogg_page page;
  // The headers stand on pages of their own, before any audio.
  while (ogg_stream_flush(&e.stream, &page) != 0) Append(out, page);

  const size_t frames = samples.size() / static_cast<size_t>(channels);
  constexpr size_t kChunk = 4096;
  for (size_t done = 0;; done += kChunk) {
    const size_t count = done < frames ? std::min(kChunk, frames - done) : 0;
    if (count > 0) {
      float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
          buffer[c][i] = samples[(done + i) * static_cast<size_t>(channels) + c] / 32768.0f;
        }
      }
    }
    vorbis_analysis_wrote(&e.dsp, static_cast<int>(count));  // 0: the end
    while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
      vorbis_analysis(&e.block, nullptr);
      vorbis_bitrate_addblock(&e.block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&e.dsp, &packet) != 0) {
        ogg_stream_packetin(&e.stream, &packet);
        while (ogg_stream_pageout(&e.stream, &page) != 0) Append(out, page);
      }
    }
    if (count == 0) break;
  }
  while (ogg_stream_flush(&e.stream, &page) != 0) Append(out, page);
  return out;
}

bool WriteOggVorbis(const std::string& path, const std::vector<int16_t>& samples, int channels,
                    int sampleRate, float quality, std::string& error) {
  const std::vector<uint8_t> bytes = EncodeOggVorbis(samples, channels, sampleRate, quality);
  if (bytes.empty()) {
    error = "cannot encode " + path + " as Ogg Vorbis";
    return false;
  }
  return WriteFileBytes(path, bytes, error);
}
