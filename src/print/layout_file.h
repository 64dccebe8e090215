// SPDX-License-Identifier: GPL-3.0-or-later
// The user's print settings file (callsign + ".prn", INI format): the postcard options, the
// commercial card options and the positions of the printed items on the horizontal and the
// vertical commercial card. A key that is missing reads as the value the caller holds, which
// is the default when a dialog has just opened.
#pragma once

#include "common/profile_file.h"

#include <array>
#include <string>

namespace vz::print {

struct PostcardOptions
{
    bool addressedRemark = true;  // the REM line opens with the worked operator's name
    bool additionalRemark = true; // the record's remarks
    bool ownCall = true;
    bool kanjiAddress = true;
    bool latinAddress = false; // only while the kanji address is off
    bool additionalInfo = true;
    friend bool operator==(const PostcardOptions &, const PostcardOptions &) = default;
};

struct CommercialOptions
{
    bool boxCall = true; // the six "To Radio" box characters
    bool toRadio = true; // item 07
    bool splitDate = false;
    bool addressedRemark = true;
    bool additionalRemark = true;
    bool ownCall = true;
    bool addressWanted = true; // while off, the two script boxes stay off
    bool kanjiAddress = true;
    bool latinAddress = false;
    bool portable = true;
    bool additionalInfo = true;
    friend bool operator==(const CommercialOptions &, const CommercialOptions &) = default;
};

enum class CardKind { Horizontal, Vertical };

// Printed items of the commercial cards, numbered 07 to 27.
constexpr int kFirstItem = 7;
constexpr int kLastItem = 27;
constexpr std::size_t kItemCount = kLastItem - kFirstItem + 1;

struct ItemPosition
{
    int left = 0; // preview pixels, relative to the preview panel
    int top = 0;
    friend bool operator==(const ItemPosition &, const ItemPosition &) = default;
};
using CardLayout = std::array<ItemPosition, kItemCount>; // index: item number - 7

inline ItemPosition &at(CardLayout &layout, int item)
{
    return layout[static_cast<std::size_t>(item - kFirstItem)];
}
inline const ItemPosition &at(const CardLayout &layout, int item)
{
    return layout[static_cast<std::size_t>(item - kFirstItem)];
}

CardLayout defaultLayout(CardKind kind);

// Section names, Shift_JIS.
std::string postcardSection();
std::string commercialOptionsSection();
std::string layoutSection(CardKind kind);

PostcardOptions readPostcardOptions(const ProfileFile &file, const PostcardOptions &current);
void writePostcardOptions(ProfileFile &file, const PostcardOptions &options);

CommercialOptions readCommercialOptions(const ProfileFile &file, const CommercialOptions &current);
void writeCommercialOptions(ProfileFile &file, const CommercialOptions &options);

// A position the file gives beyond this many preview pixels either way is taken as this far:
// still far outside any panel, but every later sum and scaling stays within an int.
constexpr int kLayoutPositionLimit = 100000;

CardLayout readLayout(const ProfileFile &file, CardKind kind, const CardLayout &current);
// Every item, 07 to 27, top before left.
void writeLayout(ProfileFile &file, CardKind kind, const CardLayout &layout);

// Loads the layout file (missing: empty), lets `change` edit it and saves it as a whole.
// False when the file could not be read or written; the old file is then untouched.
template <typename Change> bool updateLayoutFile(const std::string &path, Change change)
{
    std::optional<ProfileFile> file = ProfileFile::load(path);
    if (!file)
        return false;
    change(*file);
    return file->save(path);
}

} // namespace vz::print
