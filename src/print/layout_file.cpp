// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/layout_file.h"

#include "common/sjis.h"

#include <algorithm>
#include <cstdio>

namespace vz::print {

namespace {

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

struct OptionKey
{
    const char *utf8Key;
    bool PostcardOptions::*member;
};
struct CommercialKey
{
    const char *utf8Key;
    bool CommercialOptions::*member;
};

constexpr std::array<OptionKey, 6> kPostcardKeys{{
    {"備考（標準）", &PostcardOptions::addressedRemark},
    {"備考（追加）", &PostcardOptions::additionalRemark},
    {"自局コール", &PostcardOptions::ownCall},
    {"住所要否", &PostcardOptions::kanjiAddress},
    {"英字住所", &PostcardOptions::latinAddress},
    {"追加情報", &PostcardOptions::additionalInfo},
}};

constexpr std::array<CommercialKey, 11> kCommercialKeys{{
    {"転送コール", &CommercialOptions::boxCall},
    {"To Radio", &CommercialOptions::toRadio},
    {"日時分割", &CommercialOptions::splitDate},
    {"備考（標準）", &CommercialOptions::addressedRemark},
    {"備考（追加）", &CommercialOptions::additionalRemark},
    {"自局コール", &CommercialOptions::ownCall},
    {"住所要否", &CommercialOptions::addressWanted},
    {"漢字住所", &CommercialOptions::kanjiAddress},
    {"英字住所", &CommercialOptions::latinAddress},
    {"移動地印刷", &CommercialOptions::portable},
    {"追加情報", &CommercialOptions::additionalInfo},
}};

// The defaults: where each label sits on a freshly opened preview.
constexpr std::array<ItemPosition, kItemCount> kHorizontalDefaults{{
    {59, 12},  {59, 27},  {119, 27}, {160, 27}, {196, 27}, {242, 27}, {59, 42},
    {245, 42}, {59, 56},  {59, 73},  {59, 86},  {59, 103}, {59, 116}, {59, 146},
    {59, 172}, {59, 186}, {59, 200}, {173, 9},  {200, 9},  {226, 9},  {240, 56},
}};
constexpr std::array<ItemPosition, kItemCount> kVerticalDefaults{{
    {19, 44},  {19, 61},  {69, 61},  {101, 61}, {129, 61}, {174, 61}, {19, 78},
    {175, 77}, {19, 95},  {19, 112}, {19, 125}, {19, 147}, {20, 160}, {17, 195},
    {19, 235}, {19, 222}, {17, 273}, {111, 44}, {132, 44}, {153, 44}, {170, 95},
}};

std::string itemKey(int item, const char *suffix)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%s", item, suffix);
    return buffer;
}

} // namespace

CardLayout defaultLayout(CardKind kind)
{
    return kind == CardKind::Horizontal ? kHorizontalDefaults : kVerticalDefaults;
}

std::string postcardSection()
{
    return sj("はがき印刷");
}

std::string commercialOptionsSection()
{
    return sj("市販項目");
}

std::string layoutSection(CardKind kind)
{
    return sj(kind == CardKind::Horizontal ? "横型（横置）印刷" : "縦型（縦置）印刷");
}

PostcardOptions readPostcardOptions(const ProfileFile &file, const PostcardOptions &current)
{
    PostcardOptions options = current;
    const std::string section = postcardSection();
    for (const OptionKey &k : kPostcardKeys)
        options.*k.member = file.boolean(section, sj(k.utf8Key), current.*k.member);
    return options;
}

void writePostcardOptions(ProfileFile &file, const PostcardOptions &options)
{
    const std::string section = postcardSection();
    for (const OptionKey &k : kPostcardKeys)
        file.setBoolean(section, sj(k.utf8Key), options.*k.member);
}

CommercialOptions readCommercialOptions(const ProfileFile &file, const CommercialOptions &current)
{
    CommercialOptions options = current;
    const std::string section = commercialOptionsSection();
    for (const CommercialKey &k : kCommercialKeys)
        options.*k.member = file.boolean(section, sj(k.utf8Key), current.*k.member);
    return options;
}

void writeCommercialOptions(ProfileFile &file, const CommercialOptions &options)
{
    const std::string section = commercialOptionsSection();
    for (const CommercialKey &k : kCommercialKeys)
        file.setBoolean(section, sj(k.utf8Key), options.*k.member);
}

CardLayout readLayout(const ProfileFile &file, CardKind kind, const CardLayout &current)
{
    CardLayout layout = current;
    const std::string section = layoutSection(kind);
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        ItemPosition &p = at(layout, item);
        p.top = std::clamp(file.integer(section, itemKey(item, "Top"), p.top),
                           -kLayoutPositionLimit, kLayoutPositionLimit);
        p.left = std::clamp(file.integer(section, itemKey(item, "Left"), p.left),
                            -kLayoutPositionLimit, kLayoutPositionLimit);
    }
    return layout;
}

void writeLayout(ProfileFile &file, CardKind kind, const CardLayout &layout)
{
    const std::string section = layoutSection(kind);
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        const ItemPosition &p = at(layout, item);
        file.setInteger(section, itemKey(item, "Top"), p.top);
        file.setInteger(section, itemKey(item, "Left"), p.left);
    }
}

} // namespace vz::print
