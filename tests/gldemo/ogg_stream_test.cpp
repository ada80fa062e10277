// The Ogg Vorbis decoder: what it accepts, what it decodes, rewinding, and
// files it refuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "gldemo/ogg_stream.h"
#include "ogg_writer.h"

namespace {

using gldemo::OggStream;
using gldemo_test::WriteOgg;

class OggStreamTest : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }

  // Decodes the whole stream in blocks of `block` frames.
  static std::vector<float> DecodeAll(OggStream& stream, std::size_t block = 1000) {
    std::vector<float> all;
    std::vector<float> buffer(2 * block);
    for (std::size_t got; (got = stream.Decode(buffer.data(), block)) > 0;)
      all.insert(all.end(), buffer.begin(), buffer.begin() + 2 * got);
    return all;
  }

  std::unique_ptr<OggStream> Open(std::string* error = nullptr) { return OggStream::OpenFile(path_, error); }

  const std::string path_ = ::testing::TempDir() + "gldemo-ogg-stream-" + std::to_string(getpid()) + ".ogg";
};

TEST_F(OggStreamTest, DecodesStereoFrameExactInAnyBlockSize) {
  ASSERT_TRUE(WriteOgg(path_, 44100, 2, 30000, gldemo_test::Tone));
  std::string error;
  auto stream = Open(&error);
  ASSERT_TRUE(stream) << error;
  EXPECT_EQ(stream->Frames(), 30000u);

  const std::vector<float> whole = DecodeAll(*stream, 30000);
  ASSERT_EQ(whole.size(), 2u * 30000);
  // Lossy, but the tone is there: right is the negated left, at its level.
  double energy = 0, difference = 0;
  for (std::size_t i = 0; i < 30000; ++i) {
    energy += whole[2 * i] * whole[2 * i];
    difference += std::fabs(whole[2 * i] + whole[2 * i + 1]);
  }
  EXPECT_NEAR(std::sqrt(energy / 30000), 0.5 / std::sqrt(2.0), 0.02);
  EXPECT_LT(difference / 30000, 0.01);

  // Odd block sizes give the same samples, and a rewind starts them again.
  ASSERT_TRUE(stream->Rewind());
  EXPECT_EQ(DecodeAll(*stream, 333), whole);
  float rest[2];
  EXPECT_EQ(stream->Decode(rest, 1), 0u);
  ASSERT_TRUE(stream->Rewind());
  EXPECT_EQ(DecodeAll(*stream, 7), whole);

  // A seek goes to that frame exactly; beyond the end the stream has ended.
  ASSERT_TRUE(stream->Seek(12345));
  EXPECT_EQ(DecodeAll(*stream, 1000), std::vector<float>(whole.begin() + 2 * 12345, whole.end()));
  EXPECT_FALSE(stream->Seek(30001));
  EXPECT_EQ(stream->Decode(rest, 1), 0u);
}

TEST_F(OggStreamTest, PlaysMonoOnBothSides) {
  ASSERT_TRUE(WriteOgg(path_, 44100, 1, 5000, gldemo_test::Tone));
  auto stream = Open();
  ASSERT_TRUE(stream);
  const std::vector<float> all = DecodeAll(*stream);
  ASSERT_EQ(all.size(), 2u * 5000);
  for (std::size_t i = 0; i < 5000; ++i) ASSERT_EQ(all[2 * i], all[2 * i + 1]) << i;
}

TEST_F(OggStreamTest, RefusesOtherRatesAndWhatIsNotVorbis) {
  std::string error;
  ASSERT_TRUE(WriteOgg(path_, 48000, 2, 4800, gldemo_test::Tone));
  EXPECT_FALSE(Open(&error));
  EXPECT_NE(error.find("48000 Hz"), std::string::npos) << error;
  EXPECT_EQ(error.rfind(path_ + ": ", 0), 0u) << error;

  std::ofstream(path_, std::ios::binary) << "OggS but not really an Ogg Vorbis file";
  EXPECT_FALSE(Open(&error));
  EXPECT_NE(error.find("not an Ogg Vorbis file"), std::string::npos) << error;

  std::ofstream(path_, std::ios::binary | std::ios::trunc);  // empty
  EXPECT_FALSE(Open(&error));

  EXPECT_FALSE(OggStream::OpenFile(path_ + ".missing", &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(OggStream::OpenFile(::testing::TempDir(), &error));  // a directory
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(OggStream::OpenFile("/dev/zero", &error));  // would never end
}

TEST_F(OggStreamTest, DamagedAndTruncatedAudioDecodesWhatItHoldsThenEnds) {
  ASSERT_TRUE(WriteOgg(path_, 44100, 2, 3 * 44100, gldemo_test::Noise));
  std::ifstream in(path_, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A third cut off, and damage in the audio pages (past the headers, which
  // take the first few kilobytes).
  bytes.resize(bytes.size() * 2 / 3);
  for (std::size_t i = bytes.size() * 3 / 4; i < bytes.size() * 3 / 4 + 64; ++i) bytes[i] ^= 0x5A;
  std::string error;
  auto stream = OggStream::OpenBytes(bytes, &error);
  ASSERT_TRUE(stream) << error;
  const std::size_t frames = DecodeAll(*stream).size() / 2;
  EXPECT_GT(frames, 44100u / 2);
  EXPECT_LT(frames, 3u * 44100);
  // Damaged headers are no Ogg Vorbis at all.
  for (std::size_t i = 100; i < 200; ++i) bytes[i] ^= 0x5A;
  EXPECT_FALSE(OggStream::OpenBytes(bytes, &error));
}

}  // namespace
