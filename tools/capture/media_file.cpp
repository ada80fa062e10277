#include "media_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/output.h"
#include "shows.h"
#include "timing.h"

namespace capture {

namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void Check(int code, const std::string& what) {
  if (code < 0) throw CaptureError(what + ": " + AvError(code));
}

// Frees each of FFmpeg's objects with the library's own function (for
// unique_ptr); a format context closes its file first when it is open.
struct AvDelete {
  void operator()(AVFormatContext* format) const {
    if (format->pb && !(format->oformat->flags & AVFMT_NOFILE)) avio_closep(&format->pb);
    avformat_free_context(format);
  }
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
  void operator()(SwsContext* context) const { sws_freeContext(context); }
  void operator()(std::uint8_t* buffer) const { av_free(buffer); }
};
template <class T>
using AvPtr = std::unique_ptr<T, AvDelete>;

// Takes ownership of what an FFmpeg allocation returned; throws
// CaptureError "out of memory for <what>" when it returned null.
template <class T>
AvPtr<T> Owned(T* object, const std::string& what) {
  if (!object) throw CaptureError("out of memory for " + what);
  return AvPtr<T>(object);
}

// Options for an encoder or a muxer, freed with the holder.
class Dictionary {
 public:
  Dictionary() = default;
  ~Dictionary() { av_dict_free(&entries_); }
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  // Throws CaptureError when the entry cannot be stored.
  void Set(const char* key, const char* value) {
    Check(av_dict_set(&entries_, key, value, 0), "out of memory for options");
  }
  AVDictionary** get() { return &entries_; }

 private:
  AVDictionary* entries_ = nullptr;
};

// The codecs: the encoder's name in FFmpeg, and what to call it in a message.
struct Codec {
  const char* encoder;
  const char* name;
};
constexpr Codec kH264{"libx264", "H.264 (libx264)"};
constexpr Codec kAac{"aac", "AAC"};
constexpr Codec kFfv1{"ffv1", "FFV1"};
constexpr Codec kFlac{"flac", "FLAC"};

// The default codec's quality: visually lossless for the hard-edged
// glyphs (CRF 18), at the fastest preset that still compresses well: on the
// shows' pictures "superfast" makes files as small as "veryfast" with two
// thirds of its work, and "ultrafast" files twice as large.
constexpr const char* kH264Preset = "superfast";
constexpr const char* kH264Crf = "18";
constexpr std::int64_t kAacBitRate = 192000;

using CodecContext = AvPtr<AVCodecContext>;

// A context for the codec's encoder, to be set up and opened. Throws
// CaptureError when the libraries lack the encoder or memory runs out.
CodecContext NewEncoder(const Codec& codec) {
  RequireEncoder(codec.encoder, codec.name);
  return Owned(avcodec_alloc_context3(avcodec_find_encoder_by_name(codec.encoder)),
               std::string("the ") + codec.name + " encoder");
}

}  // namespace

void RequireEncoder(const char* encoder, const char* what) {
  if (!avcodec_find_encoder_by_name(encoder))
    throw CaptureError(std::string("the installed FFmpeg libraries have no ") + what + " encoder (\"" + encoder +
                       "\")");
}

int PictureFormat(int scale) {
  // At an even scale every 2 x 2 block of chroma samples covers pixels of
  // one enlarged pixel, all of one colour, so halving the chroma both ways
  // keeps every colour and the file plays everywhere; at an odd scale the
  // blocks straddle cell edges and would smear the colours of the 8 x 8
  // glyphs, so the chroma stays whole.
  return scale % 2 == 0 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV444P;
}

std::int16_t SampleS16(float v) {
  const long scaled = std::lrint(static_cast<double>(v) * 32768.0);
  return static_cast<std::int16_t>(std::clamp(scaled, -32768L, 32767L));
}

struct YuvConverter::Scaler {
  AvPtr<SwsContext> context;
  int width = 0, height = 0;
  // The planes, with the padding and alignment swscale's vector code
  // writes into: all of them in the one buffer of plane 0.
  std::uint8_t* planes[4] = {};
  int strides[4] = {};
  AvPtr<std::uint8_t> buffer;
};

YuvConverter::YuvConverter(int width, int height, int scale) : scaler_(std::make_unique<Scaler>()) {
  Scaler& s = *scaler_;
  s.width = width;
  s.height = height;
  const auto format = static_cast<AVPixelFormat>(PictureFormat(scale));
  Check(av_image_alloc(s.planes, s.strides, width, height, format, 64), "out of memory for pictures");
  s.buffer.reset(s.planes[0]);
  s.context.reset(sws_getContext(width, height, AV_PIX_FMT_RGB0, width, height, format,
                                 SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr));
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  if (!s.context || sws_setColorspaceDetails(s.context.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16) < 0)
    throw CaptureError("cannot convert the pictures to YUV");
}

YuvConverter::~YuvConverter() = default;

void YuvConverter::Convert(const std::uint32_t* rgb0) {
  const auto* source = reinterpret_cast<const std::uint8_t*>(rgb0);
  const int stride = 4 * scaler_->width;
  if (sws_scale(scaler_->context.get(), &source, &stride, 0, scaler_->height, scaler_->planes, scaler_->strides) <= 0)
    throw CaptureError("cannot convert the pictures to YUV");
}

const std::uint8_t* YuvConverter::plane(int plane) const { return scaler_->planes[plane]; }
int YuvConverter::stride(int plane) const { return scaler_->strides[plane]; }

struct MediaFile::State {
  MediaSettings settings;
  AvPtr<AVFormatContext> format;  // with the streams, and the file once open
  CodecContext video, audio;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  std::unique_ptr<YuvConverter> toYuv;  // default codec only
  AvPtr<AVFrame> picture;
  AvPtr<AVFrame> sound;
  AvPtr<AVPacket> packet;
  std::int64_t pictures = 0;  // pictures sent: the next one's time stamp
  std::int64_t samples = 0;   // sound frames sent
  std::vector<float> pendingSound;  // interleaved, not yet a whole encoder frame

  CodecContext OpenVideo() {
    const Codec& codec = settings.lossless ? kFfv1 : kH264;
    CodecContext context = NewEncoder(codec);
    context->width = settings.width;
    context->height = settings.height;
    context->time_base = {1, settings.fps};
    context->framerate = {settings.fps, 1};
    context->sample_aspect_ratio = {1, 1};
    Dictionary options;
    if (settings.lossless) {
      // The pixels as RGB, losslessly: FFV1 version 3 with the range coder
      // and the larger context model (a third of the size of the default
      // Golomb-Rice coding at the same speed), in slices coded on several
      // threads, each slice with its checksum.
      context->pix_fmt = AV_PIX_FMT_BGR0;
      context->colorspace = AVCOL_SPC_RGB;
      context->color_range = AVCOL_RANGE_JPEG;
      context->color_primaries = AVCOL_PRI_BT709;
      context->color_trc = AVCOL_TRC_IEC61966_2_1;
      context->level = 3;
      options.Set("coder", "range_def");
      options.Set("context", "1");
      options.Set("slices", "4");
      options.Set("slicecrc", "1");
    } else {
      context->pix_fmt = static_cast<AVPixelFormat>(PictureFormat(settings.scale));
      context->colorspace = AVCOL_SPC_BT709;
      context->color_range = AVCOL_RANGE_MPEG;
      context->color_primaries = AVCOL_PRI_BT709;
      context->color_trc = AVCOL_TRC_BT709;
      options.Set("preset", kH264Preset);
      options.Set("crf", kH264Crf);
    }
    context->thread_count = 0;  // as many as the machine has
    if (format->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(context.get(), context->codec, options.get()),
          std::string("cannot start the ") + codec.name + " encoder");
    return context;
  }

  CodecContext OpenAudio() {
    const Codec& codec = settings.lossless ? kFlac : kAac;
    CodecContext context = NewEncoder(codec);
    context->sample_rate = audio::SampleRate;
    av_channel_layout_default(&context->ch_layout, 2);
    context->time_base = {1, audio::SampleRate};
    if (settings.lossless) {
      context->sample_fmt = AV_SAMPLE_FMT_S16;
    } else {
      context->sample_fmt = AV_SAMPLE_FMT_FLTP;
      context->bit_rate = kAacBitRate;
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(context.get(), context->codec, nullptr), std::string("cannot start the ") + codec.name + " encoder");
    return context;
  }

  AVStream* AddStream(const AVCodecContext& context) {
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!stream) throw CaptureError("out of memory for a stream");
    Check(avcodec_parameters_from_context(stream->codecpar, &context), "cannot describe a stream");
    stream->time_base = context.time_base;
    return stream;
  }

  // Sends a frame (null: the end) and writes every packet the encoder has
  // ready.
  void Encode(AVCodecContext& context, AVStream& stream, const AVFrame* frame) {
    Check(avcodec_send_frame(&context, frame), "cannot encode");
    for (;;) {
      const int received = avcodec_receive_packet(&context, packet.get());
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
      Check(received, "cannot encode");
      // Every picture lasts one frame; without it MP4's edit list would end
      // at the last picture's start and drop that picture.
      if (context.codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
      av_packet_rescale_ts(packet.get(), context.time_base, stream.time_base);
      packet->stream_index = stream.index;
      Check(av_interleaved_write_frame(format.get(), packet.get()), "cannot write the file");
    }
  }

  // Encodes `frames` frames of the pending sound.
  void EncodeSound(std::size_t frames) {
    sound->nb_samples = static_cast<int>(frames);
    Check(av_frame_make_writable(sound.get()), "out of memory for sound");
    const float* in = pendingSound.data();
    if (settings.lossless) {
      auto* out = reinterpret_cast<std::int16_t*>(sound->data[0]);
      for (std::size_t i = 0; i < 2 * frames; ++i) out[i] = SampleS16(in[i]);
    } else {
      auto* left = reinterpret_cast<float*>(sound->data[0]);
      auto* right = reinterpret_cast<float*>(sound->data[1]);
      for (std::size_t i = 0; i < frames; ++i) {
        left[i] = in[2 * i];
        right[i] = in[2 * i + 1];
      }
    }
    sound->pts = samples;
    samples += static_cast<std::int64_t>(frames);
    Encode(*audio, *audioStream, sound.get());
    pendingSound.erase(pendingSound.begin(), pendingSound.begin() + static_cast<std::ptrdiff_t>(2 * frames));
  }
};

MediaFile::MediaFile(const MediaSettings& settings) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.settings = settings;
  // The libraries' own chatter stays off; failures are reported here.
  av_log_set_level(AV_LOG_ERROR);
  // 1. The container, then the encoders, each with its stream.
  AVFormatContext* format = nullptr;
  Check(avformat_alloc_output_context2(&format, nullptr, settings.matroska ? "matroska" : "mp4", nullptr),
        "cannot set up the container");
  s.format.reset(format);
  s.video = s.OpenVideo();
  s.audio = s.OpenAudio();
  s.videoStream = s.AddStream(*s.video);
  s.audioStream = s.AddStream(*s.audio);

  // 2. The frames the encoders are given.
  s.packet = Owned(av_packet_alloc(), "the encoders");
  s.picture = Owned(av_frame_alloc(), "pictures");
  s.sound = Owned(av_frame_alloc(), "sound");
  s.picture->format = s.video->pix_fmt;
  s.picture->width = settings.width;
  s.picture->height = settings.height;
  Check(av_frame_get_buffer(s.picture.get(), 0), "out of memory for pictures");
  s.sound->format = s.audio->sample_fmt;
  s.sound->sample_rate = audio::SampleRate;
  Check(av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout), "out of memory for sound");
  s.sound->nb_samples = s.audio->frame_size;
  Check(av_frame_get_buffer(s.sound.get(), 0), "out of memory for sound");

  // 3. RGB to YUV for the default codec.
  if (!settings.lossless) s.toYuv = std::make_unique<YuvConverter>(settings.width, settings.height, settings.scale);
}

MediaFile::~MediaFile() = default;

void MediaFile::Open(const std::string& path) {
  State& s = *state_;
  // The muxer opens the file again by this name to move MP4's index.
  char* url = av_strdup(path.c_str());
  if (!url) throw CaptureError("out of memory for the file's name");
  av_free(s.format->url);
  s.format->url = url;
  Check(avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot write " + path);
  Dictionary options;
  // MP4: the index at the front, so that players start before the whole
  // file has arrived.
  if (!s.settings.matroska) options.Set("movflags", "+faststart");
  Check(avformat_write_header(s.format.get(), options.get()), "cannot write " + path);
}

void MediaFile::AddPicture(const std::uint32_t* rgb0) {
  State& s = *state_;
  Check(av_frame_make_writable(s.picture.get()), "out of memory for pictures");
  const int width = s.settings.width, height = s.settings.height;
  if (s.toYuv) {
    s.toYuv->Convert(rgb0);
    const std::uint8_t* planes[4] = {s.toYuv->plane(0), s.toYuv->plane(1), s.toYuv->plane(2), nullptr};
    const int strides[4] = {s.toYuv->stride(0), s.toYuv->stride(1), s.toYuv->stride(2), 0};
    av_image_copy(s.picture->data, s.picture->linesize, planes, strides, s.video->pix_fmt, width, height);
  } else {
    // FFV1's packed RGB: bytes B, G, R, 0.
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* in = rgb0 + static_cast<std::size_t>(y) * width;
      auto* out = reinterpret_cast<std::uint32_t*>(s.picture->data[0] + static_cast<std::ptrdiff_t>(y) * s.picture->linesize[0]);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t w = in[x];
        out[x] = (w >> 16 & 0xFFu) | (w & 0xFF00u) | (w & 0xFFu) << 16;
      }
    }
  }
  s.picture->pts = s.pictures++;
  s.Encode(*s.video, *s.videoStream, s.picture.get());
}

void MediaFile::AddSound(const float* interleaved, std::size_t frames) {
  State& s = *state_;
  s.pendingSound.insert(s.pendingSound.end(), interleaved, interleaved + 2 * frames);
  const auto frameSize = static_cast<std::size_t>(s.audio->frame_size);
  while (s.pendingSound.size() >= 2 * frameSize) s.EncodeSound(frameSize);
}

void MediaFile::Finish() {
  State& s = *state_;
  // The last, shorter frame of sound, then what the encoders hold back.
  if (!s.pendingSound.empty()) s.EncodeSound(s.pendingSound.size() / 2);
  s.Encode(*s.video, *s.videoStream, nullptr);
  s.Encode(*s.audio, *s.audioStream, nullptr);
  Check(av_write_trailer(s.format.get()), "cannot finish the file");
  // Closing writes what is still buffered: its failure is the file's.
  Check(avio_closep(&s.format->pb), "cannot finish the file");
}

}  // namespace capture
