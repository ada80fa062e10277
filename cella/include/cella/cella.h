// cella.h - cell canvases for text-mode pictures.
//
// cella draws pictures made of character cells: every cell is one code page
// 437 character with a foreground (ink) and a background (paper) colour of
// the 16-colour PC text palette. Canvases of cells are layered with twelve
// cell-aware blend modes, shaded through gradients of cells that are drawn as
// binary text art, and loaded from BinaryText files with a SAUCE record.
//
//   #include <cella/cella.h>
//
//   cella::Canvas screen(80, 50);                 // every cell {0, 16, 16}
//   cella::GradientPack* pack = cella::LoadGradientPack("gradient.bin");
//   if (!pack) { /* cella::FailureReason() says why, e.g. "no such file" */ }
//   const cella::Gradient& g = pack->gradients[2];
//   for (int y = 0; y < screen.height; ++y)
//     for (int x = 0; x < screen.width; ++x)
//       screen.data[y * screen.width + x] = g.pixels[cella::GradientIndex(g, x / 80.0f)];
//
//   cella::Canvas glow(80, 50);
//   /* ... draw into glow ... */
//   cella::Blit(&screen, &glow, cella::Or);       // OR glow's colours into screen
//   delete pack;
//
// The header needs C++11 or later. Link with -lcella (pkg-config cella), or
// in CMake: find_package(cella) and target_link_libraries(app cella::cella).
//
// Conventions
// - Cell order: row-major, cell (x, y) of a canvas is data[y * width + x],
//   x the column from the left, y the row from the top.
// - Colours: 0..15 are PC text colours; the low three bits are the hue
//   (0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta, 6 dark yellow,
//   7 light grey) and bit 3 the bright bit (8 dark grey ... 15 white).
//   In an attribute byte the foreground is the low nibble and the background
//   the high nibble.
// - Transparent (16) marks a colour that is not set: blending leaves the
//   destination's colour alone where the source's is 16. The Add mode can
//   leave values 17..31 behind; they show as their low four bits.
// - Nothing here is thread-safe beyond the obvious: different threads may
//   write different cells of one canvas at the same time.
// - Every function accepts any argument values: null pointers, negative or
//   huge sizes and rectangles, unknown blend modes are handled as each
//   function states; none reads or writes outside a buffer. Allocation
//   failure throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__GNUC__)
#define CELLA_API __attribute__((visibility("default")))
#else
#define CELLA_API
#endif

namespace cella {

// ---------------------------------------------------------------------------
// Cells and canvases

// Colour value meaning "not set".
constexpr int Transparent = 16;

// One character cell: three bytes, standard layout, compared byte by byte.
struct Pixel {
  std::uint8_t ch;  // code page 437 character code
  std::int8_t fg;   // foreground colour 0..15, or Transparent
  std::int8_t bg;   // background colour 0..15, or Transparent
};

inline bool operator==(const Pixel& a, const Pixel& b) {
  return a.ch == b.ch && a.fg == b.fg && a.bg == b.bg;
}
inline bool operator!=(const Pixel& a, const Pixel& b) { return !(a == b); }

// The value of every cell the library allocates: empty, transparent ink and
// paper.
constexpr Pixel DefaultPixel = {0, Transparent, Transparent};

// A rectangle of cells. Owns its cells; not copyable; pass it by pointer.
class CELLA_API Canvas {
 public:
  // Allocates width * height cells, each DefaultPixel, and sets blendMode to
  // Normal. A negative width or height counts as 0 (a canvas without cells).
  // A canvas of more than 4 GiB of cells throws std::bad_alloc.
  Canvas(int width, int height);
  virtual ~Canvas();

  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Pixel* data;    // width * height cells, row-major
  int width;      // columns, >= 0
  int height;     // rows, >= 0
  int blendMode;  // mode used when this canvas is a Blit source and mode 0 is asked for
};

// ---------------------------------------------------------------------------
// Blending

// Blend modes, by the number callers pass. Any number outside 2..12
// (0 and negatives included, where they reach BlendCell) acts as Normal.
enum BlendMode : int {
  Normal = 1,       // layered copy; a transparent ink or paper lets the old cell show
  Add = 2,          // colours added with AddColors; character kept
  Subtract = 3,     // colours subtracted with SubtractColors; character kept
  Or = 4,           // colours ORed bitwise; character kept
  And = 5,          // colours ANDed bitwise; character kept
  CharOnly = 6,     // character copied when both source colours are set
  ColorsOnly = 7,   // set colours copied; character kept
  FgOnly = 8,       // set foreground copied
  BgOnly = 9,       // set background copied
  Xor = 10,         // colours XORed bitwise; character kept
  Denser = 11,      // character copied when its glyph has more ink
  Sparser = 12,     // character copied when its glyph has less ink
};

// How much of each code page 437 glyph is ink: 0 (space, code 0) .. 255
// (full block, code 219). Indexed by the unsigned character code.
CELLA_API extern const std::uint8_t GlyphCoverage[256];

// Combines the source cell into the destination cell under a blend mode;
// only dst changes. In the per-colour modes (Add, Subtract, Or, And, Xor)
// the background is combined first, then the foreground, each skipped when
// the source's value is Transparent; the destination's value enters the
// arithmetic as it is, Transparent included.
// Normal: a source with both colours Transparent changes nothing; with only
// its ink Transparent it changes nothing over a full glyph (coverage 255),
// otherwise its character and paper are taken and, when the old glyph had
// less than half ink (coverage < 127), the old paper becomes the ink; with
// only its paper Transparent it changes nothing over an empty glyph
// (coverage 0), otherwise its character and ink are taken and, when the old
// glyph had at least half ink, the old ink becomes the paper; a source with
// both colours set replaces the cell.
CELLA_API void BlendCell(Pixel& dst, const Pixel& src, int mode);

// Palette-aware addition of two colours (a the destination, b the source):
// equal colours brighten (a + 8 below 8, 8 + 8 = 7, otherwise white);
// different hues combine their bits (dark grey 8 counting as 0); the dark and
// bright version of one hue give a fixed mix colour.
CELLA_API std::int8_t AddColors(std::int8_t a, std::int8_t b);

// Palette-aware subtraction of colour b from colour a: 0 takes nothing away,
// white (15) or an equal colour leaves black, the other brightness of the
// same hue leaves black or b, anything else clears b's bits from a.
CELLA_API std::int8_t SubtractColors(std::int8_t a, std::int8_t b);

// Two-argument form: blends the overlapping top-left rectangle of the two
// canvases (min of widths by min of heights), cell (x, y) onto cell (x, y),
// with src->blendMode exactly as stored.
CELLA_API void Blit(Canvas* dst, Canvas* src);

// Full form: blends the width by height rectangle of src starting at
// (srcX, srcY) onto dst starting at (dstX, dstY). Mode 0 means
// src->blendMode. The rectangle is clipped to both canvases first (on the
// destination's left and top, then its right and bottom, then the source's
// left and top, then its right and bottom); what is left outside either
// canvas is not drawn. Any int arguments are safe; a null canvas does
// nothing. The shorter forms use offsets 0 and src's width and height.
CELLA_API void Blit(Canvas* dst, Canvas* src, int mode);
CELLA_API void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY);
CELLA_API void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY, int dstX, int dstY);
CELLA_API void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY, int dstX, int dstY,
                    int width, int height);

// ---------------------------------------------------------------------------
// Gradients

// An ordered run of cells used as a shading ramp, darkest (first) step at
// index 0. Owns its cells; not copyable.
struct CELLA_API Gradient {
  // Copies count cells from source. A negative count counts as 0; a null
  // source leaves count DefaultPixel cells.
  Gradient(const Pixel* source, int count);
  ~Gradient();
  Gradient(const Gradient&) = delete;
  Gradient& operator=(const Gradient&) = delete;

  Pixel* pixels;
  int count;
  float countF;  // count as a float, for the lookup
};

// The gradient lookup every effect uses: the index of value t (about 0..1
// for the whole ramp) is t * countF truncated toward zero, limited to
// 0 .. count - 1. A t that is not a number gives 0; a product beyond the int
// range gives the nearest end. A gradient without cells gives 0 (which it
// cannot be indexed with).
inline int GradientIndex(const Gradient& g, float t) {
  const float scaled = t * g.countF;
  if (!(scaled > 0.0f)) return 0;  // negative, zero or NaN
  if (scaled >= 2147483647.0f) return g.count > 0 ? g.count - 1 : 0;
  const int index = static_cast<int>(scaled);
  return index < g.count ? index : (g.count > 0 ? g.count - 1 : 0);
}

// The gradients of one text-art file: row r of the picture is gradient r.
// Owns its gradients; not copyable; delete it to release them.
struct CELLA_API GradientPack {
  GradientPack() = default;
  ~GradientPack();
  GradientPack(const GradientPack&) = delete;
  GradientPack& operator=(const GradientPack&) = delete;

  Gradient* gradients = nullptr;  // count gradients, in the order of the rows
  int count = 0;
};

// Loads a binary text-art file (see Load) and makes one gradient of each
// row: the row's cells from column 0 up to, not including, the first later
// cell equal to the cell in column 0 (the whole row if there is none).
// Returns a new pack owned by the caller, or null when the file cannot be
// read (FailureReason as for Load) or holds no cells ("holds no cells").
CELLA_API GradientPack* LoadGradientPack(const char* path);

// The same for the bytes of such a file held in memory (size bytes from
// data, which the call only reads), with the failures of LoadFromMemory.
CELLA_API GradientPack* LoadGradientPackFromMemory(const void* data, std::size_t size);

// ---------------------------------------------------------------------------
// Text art

// Loads a BinaryText file: pairs of character and attribute bytes, row by
// row, up to the end-of-file marker (0x1A followed by three upper-case ASCII
// letters, the start of a comment block or SAUCE record), with the width in
// columns taken from the SAUCE 00 record (twice its FileType). Cells the
// data do not fill stay DefaultPixel; an odd last byte is ignored.
// Returns a new canvas owned by the caller, or null when the file cannot be
// opened or read (see FailureReason). A file without a marker is all
// picture data (up to a SAUCE record that ends it); a file without a usable
// width (no record, or a width outside 1..65536) is read as 160 columns,
// the customary BinaryText width. An empty file gives a canvas of 160
// columns and no rows.
CELLA_API Canvas* Load(const char* path);

// The same for the bytes of such a file held in memory: size bytes from
// data, which the call only reads (for art built into a program). Null data
// with size 0 is an empty file; null data with any other size is refused
// (null, "no data").
CELLA_API Canvas* LoadFromMemory(const void* data, std::size_t size);

// Why the calling thread's last call of a loader above (Load,
// LoadFromMemory, LoadGradientPack, LoadGradientPackFromMemory) returned
// null; "" when that call succeeded or no loader has run on this thread.
// Never null; the text is fixed and stays valid. The reasons:
//   "no path"             a null path
//   "no data"             null data with a size above 0
//   "no such file"        the file or a folder on its path does not exist
//   "permission denied"   the file may not be read
//   "cannot open"         any other failure to open the file
//   "is a directory"      the path names a folder
//   "not a regular file"  a device, pipe or socket (never waited on)
//   "read error"          reading failed or the file shrank while read
//   "picture too large"   more rows than an int holds
//   "holds no cells"      a gradient pack's art has no cells
// A loader that throws (std::bad_alloc) leaves "".
CELLA_API const char* FailureReason();

// ---------------------------------------------------------------------------
// Console

// A text screen of 80 by 50 cells, shown in a window of its own or in the
// terminal the program runs in. All console calls belong on one thread.
//
//   cella::ConsoleInit();
//   cella::Canvas screen(80, 50);
//   for (;;) {
//     /* ... draw into screen ... */
//     cella::ConsoleBlit(&screen);                // shows one frame
//     if (cella::Keyboard() == 27) break;         // Escape, window closed, Ctrl+C
//   }
//
// Where the screen is shown is chosen by ConsoleInit:
// - CELLA_DISPLAY=window or CELLA_DISPLAY=terminal in the environment asks
//   for one of the two. Any other non-empty value is reported as one line
//   on stderr, and the choice is then made as without it.
// - Otherwise the terminal when there is no desktop display (DISPLAY and
//   WAYLAND_DISPLAY both unset or empty) and standard output is a terminal
//   (over SSH, on a text console), else the window.
//
// The window: full screen on the desktop at first (or, with
// CELLA_FULLSCREEN=0 in the environment, a 640 by 400 window), and Alt
// (pressed and released alone), F10, F11 or Alt+Enter toggle between the
// two. Every cell shows as 8 by 8 pixels of a code page 437
// font (the file "../data/font.tga", relative to the working directory) in
// the 16 PC colours, stretched to the window.
//
// The terminal: taken over by the first frame (alternate screen, hidden
// cursor, no echo) and given back as it was when the process ends, however
// it ends (return from main, exit, a fatal signal); messages written to
// stderr meanwhile appear afterwards. Characters show as their Unicode
// equivalents (the terminal needs a UTF-8 locale) in the 16 ANSI colours,
// or in the PC palette's 24-bit colours when COLORTERM is truecolor or
// 24bit. A larger terminal shows the screen centred, a smaller one its
// middle part, following resizes. Ctrl+C, SIGINT, SIGTERM and SIGHUP queue
// the key 27 as a window's close request does; a second Ctrl+C or signal
// ends the process at once (by SIGINT or that signal, the terminal given
// back).

// Creates the display (see above for which): an 80 by 50 cell screen, every
// cell character 0 in black on black. No window opens and the terminal is
// not touched yet; the first ConsoleBlit does that. Calls after the first
// do nothing.
CELLA_API void ConsoleInit();

// Copies canvas cells into the screen and shows one frame. Every cell (x, y)
// of the canvas with srcX <= x < srcX + width and srcY <= y < srcY + height
// (srcX and srcY below 0 count as 0; at most 80 columns and 50 rows from
// there, and no further than the canvas reaches) goes to screen cell (x, y),
// its own position; cells that fall outside the 80 by 50 screen are not
// shown. dstX and dstY take no part. The other screen cells keep what they
// showed. A colour shows as its low four bits, so Transparent shows as
// black. The shorter forms copy from (srcX, srcY) = (0, 0) or (a, b) with the
// canvas's own width and height.
//
// The frame is shown in the window, opening it first when there is none,
// or in the terminal, and the keys typed since the last frame go to the
// queue that Keyboard reads (so do the window's close requests). When no
// window can be opened (no display, no OpenGL), or the terminal is chosen
// and standard output is not one, the reason is shown on stderr (and in a
// message box where a display exists) and the process ends with exit
// status 1. In the window a missing or unreadable font is reported once;
// the cells then show their paper colours only.
//
// Before ConsoleInit, or with a null canvas, nothing happens.
CELLA_API void ConsoleBlit(Canvas* canvas, int srcX, int srcY, int dstX, int dstY, int width, int height);
CELLA_API void ConsoleBlit(Canvas* canvas);
CELLA_API void ConsoleBlit(Canvas* canvas, int a, int b);
CELLA_API void ConsoleBlit(Canvas* canvas, int a, int b, int c, int d);

// The oldest typed key not yet read, or 0 when there is none (and before
// ConsoleInit). Never waits; keys arrive only during ConsoleBlit. Keys are
// code page 437 character codes (ASCII as itself), 27 for Escape and for a
// request to close the window or end the program, 13 Enter, 8 Backspace,
// 9 Tab; other keys (arrows, function keys) are not reported. The queue
// holds 255 unread keys; while it is full, newly typed keys (a close request
// too) are dropped and the unread ones kept, and each key read makes room
// for one more.
CELLA_API int Keyboard();

// Sleeps for the given number of milliseconds (0 or less: returns at once).
CELLA_API void Sleep(int milliseconds);

}  // namespace cella
