// Video files with sound, written with FFmpeg's libraries.
//
//   capture::MediaFile file(settings);      // finds and opens the encoders
//   file.Open(path);                         // the file and its header
//   per frame: file.AddPicture(rgb0); file.AddSound(samples, n);
//   file.Finish();                           // the encoders' rest, the index
//
// The default codecs are H.264 (libx264) and AAC, in MP4 or Matroska. Their
// pictures are YUV, limited range with BT.709 colours; the chroma is kept
// at full resolution (4:4:4) at odd scales and halved both ways (4:2:0) at
// even ones, where every 2 x 2 chroma block lies inside one enlarged pixel
// and so loses nothing (see PictureFormat). Lossless files are FFV1 with
// the pixels stored as RGB (no YUV round trip) and FLAC with 16-bit
// samples, in Matroska.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace capture {

struct MediaSettings {
  int width = 640;  // pixels, even
  int height = 400;
  int fps = 60;
  int scale = 1;  // how many pixels each drawn pixel became (for the chroma)
  bool matroska = false;  // else MP4
  bool lossless = false;  // FFV1 and FLAC (Matroska only)
};

// The picture layouts the default codec is given: YUV 4:2:0 when the scale
// is even, 4:4:4 when it is odd. Values are FFmpeg's AVPixelFormat.
int PictureFormat(int scale);

// Throws CaptureError naming `what` and `encoder` when the installed
// libraries have no encoder of that name.
void RequireEncoder(const char* encoder, const char* what);

// A 16-bit sample of a float one: round(v x 32768), limited to
// -32768..32767 (FFmpeg's own conversion). The lossless sound is stored so.
std::int16_t SampleS16(float v);

// RGB pictures to the default codec's YUV: BT.709, full-range RGB to
// limited-range YUV, in the layout of PictureFormat(scale). Each chroma
// sample is taken from the pixels it covers alone (point sampling), so at
// an even scale the 4:2:0 chroma of every 2 x 2 block is exactly that of
// its one colour.
class YuvConverter {
 public:
  // width and height in pixels, even at an even scale. Throws CaptureError
  // when the conversion cannot be set up.
  YuvConverter(int width, int height, int scale);
  ~YuvConverter();
  YuvConverter(const YuvConverter&) = delete;
  YuvConverter& operator=(const YuvConverter&) = delete;

  // Converts width x height words (red | green << 8 | blue << 16) into the
  // converter's planes. Throws CaptureError when swscale fails.
  void Convert(const std::uint32_t* rgb0);
  // Plane 0 (Y), 1 (U) or 2 (V) of the last conversion: rows stride(plane)
  // bytes apart; U and V have half the columns and rows at an even scale.
  const std::uint8_t* plane(int plane) const;
  int stride(int plane) const;

 private:
  struct Scaler;
  std::unique_ptr<Scaler> scaler_;
};

class MediaFile {
 public:
  // Finds and opens the encoders. Throws CaptureError naming the codec
  // when the installed libraries lack an encoder or refuse the settings,
  // and when memory runs out.
  explicit MediaFile(const MediaSettings& settings);
  // Frees everything; an unfinished file is left as far as it was written.
  ~MediaFile();
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;

  // Creates (or truncates) the file at `path` and writes its header.
  // Throws CaptureError when it cannot.
  void Open(const std::string& path);
  // The next picture: width x height words, row-major, each
  // red | green << 8 | blue << 16. Throws CaptureError when it cannot be
  // converted, encoded or written.
  void AddPicture(const std::uint32_t* rgb0);
  // The next `frames` stereo frames of sound at 44,100 Hz, interleaved,
  // within -1..1. Throws CaptureError when it cannot be encoded or written.
  void AddSound(const float* interleaved, std::size_t frames);
  // Encodes what is pending, writes the file's index and closes it. Throws
  // CaptureError when writing or closing fails.
  void Finish();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace capture
