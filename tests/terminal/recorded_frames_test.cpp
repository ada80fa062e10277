// The frame encoder on real frames of the show: consecutive frames of every
// scene, rendered as the show renders them at 60 frames a second, sent
// through the terminal model for terminals of several sizes, in 16 colours
// and true colour, with and without REP for every glyph. The terminal must
// show each frame cell for cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kalt_test/show_frames.h"
#include "screen_model.h"
#include "terminal/screen.h"

namespace {

using kalt_test::ShowFrame;

term::FrameView View(const ShowFrame& frame) { return {frame.cells, frame.columns, frame.rows}; }

TEST(EncodeRecordedFrames, EveryFrameOfEverySceneShowsCellForCell) {
  // An order position of each scene, at a moment inside it.
  const struct {
    int order;
    double time;
  } moments[] = {{1, 12.0}, {5, 40.0}, {8, 62.0}, {10, 75.0}, {12, 90.0},
                 {14, 105.0}, {16, 120.0}, {18, 140.0}, {20, 160.0}};
  const term::ScreenSize sizes[] = {{80, 50}, {100, 60}, {61, 23}, {79, 49}};
  for (const auto& moment : moments) {
    const std::vector<ShowFrame> frames = kalt_test::CondemoFrames(moment.order, moment.time, 3);
    for (const term::ScreenSize size : sizes) {
      for (const bool trueColour : {false, true}) {
        for (const term::Repeat repeat : {term::Repeat::kAscii, term::Repeat::kAnyGlyph}) {
          SCOPED_TRACE(testing::Message() << "order " << moment.order << ", " << size.columns << "x" << size.rows
                                          << (trueColour ? ", true colour" : "") << ", repeat "
                                          << static_cast<int>(repeat));
          const term::EncodeOptions options{.trueColour = trueColour, .repeat = repeat};
          term::ScreenState state;
          state.size = size;
          term_test::ScreenModel model(size.columns, size.rows, repeat == term::Repeat::kAnyGlyph);
          for (std::size_t k = 0; k < frames.size(); ++k) {
            std::string out;
            term::EncodeFrame(View(frames[k]), options, state, out);
            if (k > 0) {
              // Only the changes, in fewer bytes than a redraw of the frame.
              term::ScreenState fresh;
              fresh.size = size;
              std::string redraw;
              term::EncodeFrame(View(frames[k]), options, fresh, redraw);
              EXPECT_FALSE(out.empty()) << "frame " << k << " is the same as the one before";
              EXPECT_LT(out.size(), redraw.size()) << "frame " << k;
            }
            model.Feed(out);
            ASSERT_NO_FATAL_FAILURE(term_test::ExpectShows(model, size, View(frames[k]))) << "frame " << k;
          }
        }
      }
    }
  }
}

}  // namespace
