// The entry windows' pictures as character maps, one character a pixel
// ('.' is the transparent colour).
#include "resources/editorpictures.h"

#include <string>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/rtl/exceptions.h"

namespace {

TColor PaletteColor(char c) {
  switch (c) {
    case '.': return clFuchsia;  // transparent
    case 'K': return clBlack;
    case 'W': return clWhite;
    case 'g': return clSilver;
    case 'G': return clGray;
    case 'B': return clNavy;
    case 'b': return RGB(0x30, 0x60, 0xE0);
    case 'n': return RGB(0x20, 0xA0, 0x20);
    case 'r': return RGB(0xD0, 0x20, 0x20);
    case 'y': return RGB(0xFF, 0xE0, 0x30);
    case 's': return RGB(0xFF, 0xD8, 0xB0);
    case 'p': return RGB(0x90, 0x58, 0x28);
    case 'h': return RGB(0xE8, 0xC0, 0x50);
    case 'm': return RGB(0xD0, 0x40, 0x90);
    default: throw EInvalidOperation(std::string("Unbekannte Bildfarbe '") + c + "'");
  }
}

// ---- the navigator, 16 x 16 ------------------------------------------------------

const std::vector<std::string> kFirst = {
    "................", "................", "................", "...KK......KK...", "...KK.....KBK...",
    "...KK....KBBK...", "...KK...KBBBK...", "...KK..KBBBBK...", "...KK..KBBBBK...", "...KK...KBBBK...",
    "...KK....KBBK...", "...KK.....KBK...", "...KK......KK...", "................", "................",
    "................",
};
const std::vector<std::string> kPrior = {
    "................", "................", "................", "..........KK....", ".........KBK....",
    "........KBBK....", ".......KBBBK....", "......KBBBBK....", "......KBBBBK....", ".......KBBBK....",
    "........KBBK....", ".........KBK....", "..........KK....", "................", "................",
    "................",
};
const std::vector<std::string> kNext = MirroredRows(kPrior);
const std::vector<std::string> kLast = MirroredRows(kFirst);
const std::vector<std::string> kInsert = {
    "................", "................", "......KKKK......", "......KnnK......", "......KnnK......",
    "......KnnK......", "..KKKKKnnKKKKK..", "..KnnnnnnnnnnK..", "..KnnnnnnnnnnK..", "..KKKKKnnKKKKK..",
    "......KnnK......", "......KnnK......", "......KnnK......", "......KKKK......", "................",
    "................",
};
const std::vector<std::string> kDelete = {
    "................", "................", "................", "................", "................",
    "................", "..KKKKKKKKKKKK..", "..KrrrrrrrrrrK..", "..KrrrrrrrrrrK..", "..KKKKKKKKKKKK..",
    "................", "................", "................", "................", "................",
    "................",
};
const std::vector<std::string> kPost = {
    "................", "................", "................", "............KK..", "...........KnK..",
    "..........KnnK..", "..KK.....KnnK...", "..KnK...KnnK....", "..KnnK.KnnK.....", "...KnnKnnK......",
    "....KnnnK.......", ".....KnK........", "......K.........", "................", "................",
    "................",
};
const std::vector<std::string> kCancel = {
    "................", "................", "................", "...KK......KK...", "..KrrK....KrrK..",
    "...KrrK..KrrK...", "....KrrKKrrK....", ".....KrrrrK.....", ".....KrrrrK.....", "....KrrKKrrK....",
    "...KrrK..KrrK...", "..KrrK....KrrK..", "...KK......KK...", "................", "................",
    "................",
};
const std::vector<std::string> kSearch = {
    "................", "....KKKKK.......", "...KWWWWWK......", "..KWbbWWWWK.....", "..KWbWWWWWK.....",
    "..KWWWWWWWK.....", "..KWWWWWWWK.....", "..KWWWWWWWK.....", "...KWWWWWK......", "....KKKKKpK.....",
    "..........KpK...", "...........KpK..", "............KpK.", ".............KK.", "................",
    "................",
};

// ---- the sex of a person, 27 x 34 ------------------------------------------------------

const std::vector<std::string> kMan = {
    "...........................", "...........................", "..........KKKKKKK..........",
    ".........KpppppppK.........", "........KpppppppppK........", "........KpssssssspK........",
    "........KsssssssssK........", "........KsKsssssKsK........", "........KsssssssssK........",
    "........KssssKssssK........", "........KsssKKKsssK........", ".........KsssssssK.........",
    "..........KKsssKK..........", "...........KsssK...........", "......KKKKKBWWWBKKKKK......",
    ".....KBBBBBBWrWBBBBBBK.....", "....KBBBBBBBWrWBBBBBBBK....", "....KBBBBBBBWrWBBBBBBBK....",
    "....KBBBKBBBBrBBBBKBBBK....", "....KBBBKBBBBBBBBBKBBBK....", "....KBBBKBBBBBBBBBKBBBK....",
    "....KsssKBBBBBBBBBKsssK....", "....KsssKBBBBBBBBBKsssK....", ".....KKKKGGGGGGGGGKKKK.....",
    "........KGGGGGGGGGK........", "........KGGGGKGGGGK........", "........KGGGGKGGGGK........",
    "........KGGGGKGGGGK........", "........KGGGGKGGGGK........", "........KGGGGKGGGGK........",
    "........KGGGGKGGGGK........", ".......KKKKKKKKKKKKK.......", ".......KKKKKK.KKKKKK.......",
    "...........................",
};
const std::vector<std::string> kWoman = {
    "...........................", "..........KKKKKKK..........", ".........KhhhhhhhK.........",
    "........KhhhhhhhhhK........", ".......KhhhsssssshhhK......", ".......KhhsssssssshhK......",
    ".......KhhsKsssKsshhK......", ".......KhhsssssssshhK......", ".......KhhssssKssshhK......",
    ".......KhhsssrrrsshhK......", ".......KhhhsssssshhhK......", "........KhhKsssKhhhK.......",
    ".........KKKsssKKK.........", "...........KsssK...........", "........KKKmmmmmKKK........",
    ".......KmmmmmmmmmmmK.......", "......KmmmmmmmmmmmmmK......", "......KmmKmmmmmmmKmmK......",
    "......KmmKmmmmmmmKmmK......", "......KssKmmmmmmmKssK......", "......KssKmmmmmmmKssK......",
    "......KKKmmmmmmmmmKKK......", "........KmmmmmmmmmK........", ".......KmmmmmmmmmmmK.......",
    ".......KmmmmmmmmmmmK.......", "......KmmmmmmmmmmmmmK......", "......KmmmmmmmmmmmmmK......",
    ".....KKKKKKKKKKKKKKKKK.....", ".........KsK...KsK.........", ".........KsK...KsK.........",
    ".........KsK...KsK.........", "........KKKK...KKKK........", "........KKKK...KKKK........",
    "...........................",
};

const std::vector<std::string>* const kMaps[epCount] = {&kFirst, &kPrior,  &kNext,   &kLast, &kInsert, &kDelete,
                                                        &kPost,  &kCancel, &kSearch, &kMan,  &kWoman};

}  // namespace

std::unique_ptr<TBitmap> EditorPicture(TEditorPicture which) {
  if (which < 0 || which >= epCount) throw ERangeError("Kein Bild mit dieser Nummer");
  return BitmapFromCharRows(*kMaps[which], PaletteColor);
}
