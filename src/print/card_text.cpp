// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/card_text.h"

#include "common/sjis.h"
#include "log/radio_call.h"

namespace vz::print {

namespace {

std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

// Bytes [start, start + 2) of `text`, 0-based; what is there when it runs past the end.
std::string cut(std::string_view text, std::size_t start)
{
    if (start >= text.size())
        return {};
    return std::string(text.substr(start, 2));
}

} // namespace

void clearCard(CardText &card)
{
    card.cardCall.clear();
    for (std::string &s : card.slots)
        s.clear();
}

std::string monthAbbrev(std::string_view month)
{
    static constexpr std::array<const char *, 12> kNames{"Jan.", "Feb.", "Mar.", "Apr.",
                                                         "May.", "Jun.", "Jul.", "Aug.",
                                                         "Sep.", "Oct.", "Nov.", "Dec."};
    if (month.size() == 2 && month[0] >= '0' && month[0] <= '1' && month[1] >= '0' &&
        month[1] <= '9') {
        const int n = (month[0] - '0') * 10 + (month[1] - '0');
        if (n >= 1 && n <= 12)
            return kNames[static_cast<std::size_t>(n - 1)];
    }
    return std::string(month);
}

void composeCard(CardText &card, const log::QsoRecord &record, const app::UserSettings &settings,
                 std::string_view ownCall, int area)
{
    using log::Field;
    clearCard(card);
    card.cardCall = std::string(record.field(Field::Callsign));
    for (std::size_t i = 0; i < card.cardCall.size() && i < kBoxCount; ++i)
        card[CardText::box(i)] = card.cardCall.substr(i, 1);
    card[Slot::ToRadioCall] = log::toRadioCall(card.cardCall, record.field(Field::PortableArea),
                                               record.field(Field::PortableForm));

    const std::string date(record.field(Field::QsoDate));
    card[Slot::Date] = date;
    card[Slot::Year] = cut(date, 0);
    card[Slot::Month] = monthAbbrev(cut(date, 3));
    card[Slot::Day] = cut(date, 6);

    card[Slot::Name] = std::string(record.field(Field::OpName));
    card[Slot::Time] = std::string(record.field(Field::StartTime));
    card[Slot::Rst] = std::string(record.field(Field::HisRst));
    card[Slot::Frequency] = std::string(record.field(Field::Frequency));
    card[Slot::Mode] = std::string(record.field(Field::Mode));
    card[Slot::Rig] = settings.rig;
    card[Slot::Power] = std::string(record.field(Field::Power));
    card[Slot::Antenna] = settings.antenna;

    if (area >= 0 && area < kForeignArea) {
        card[Slot::StandardRemark] = settings.domesticRemark;
        card[Slot::AddressedRemark] = card[Slot::Name] + sj("さん ") + settings.domesticRemark;
    } else if (area == kForeignArea) {
        card[Slot::StandardRemark] = settings.foreignRemark;
        card[Slot::AddressedRemark] = card[Slot::Name] + " Esq. " + settings.foreignRemark;
    }

    card[Slot::AdditionalRemark] = std::string(record.field(Field::Remarks));
    card[Slot::HisPortableLine] =
        sj("貴局移動地 ： ") + std::string(record.field(Field::PortableQth));
    card[Slot::MyPortableLine] =
        sj("当局移動地 ： ") + std::string(record.field(Field::OwnPortableQth));
    card[Slot::OwnCall] = std::string(ownCall);
    card[Slot::KanjiAddressLine] = sj("住所　") + settings.kanjiAddress;
    card[Slot::KanjiNameLine] = sj("氏名　") + settings.kanjiName;
    card[Slot::LatinAddressLine] = sj("QTH　") + settings.latinAddress;
    card[Slot::LatinNameLine] = sj("O P　") + settings.latinName;
    card[Slot::AdditionalInfo] = settings.extraInfo;
}

void loadTestCard(CardText &card)
{
    clearCard(card);
    card.cardCall = "JX1XXX";
    for (std::size_t i = 0; i < kBoxCount; ++i)
        card[CardText::box(i)] = card.cardCall.substr(i, 1);
    card[Slot::ToRadioCall] = "JX1XXX/2/AM";
    card[Slot::Date] = "99/99/99";
    card[Slot::Year] = "99";
    card[Slot::Month] = "Jun.";
    card[Slot::Day] = "99";
    card[Slot::Name] = sj("山田");
    card[Slot::Time] = "99:99";
    card[Slot::Rst] = "99";
    card[Slot::Frequency] = "14Mhz";
    card[Slot::Mode] = "USB";
    card[Slot::Rig] = "FT-1011";
    card[Slot::Power] = "100w";
    card[Slot::Antenna] = "Longwire 15mh";
    card[Slot::StandardRemark] = sj("交信ありがとうございました");
    card[Slot::AddressedRemark] = card[Slot::Name] + sj("さん ") + card[Slot::StandardRemark];
    card[Slot::AdditionalRemark] = sj("天候に恵まれてＦＢでした");
    card[Slot::HisPortableLine] = sj("貴局移動地 ： 富士山山頂");
    card[Slot::MyPortableLine] = sj("当局移動地 ： 東京都新宿御苑前");
    card[Slot::OwnCall] = "JY8YYY";
    card[Slot::KanjiAddressLine] = sj("住所　XXX市XXX区XXX町2丁目518");
    card[Slot::KanjiNameLine] = sj("氏名　山田太郎");
    card[Slot::LatinAddressLine] = sj("QTH　2-518 t.XXX w.xxx xxxCity Japan");
    card[Slot::LatinNameLine] = sj("O P　Taro Yamada");
    card[Slot::AdditionalInfo] = "E-Mail  taro@example.jp";
}

} // namespace vz::print
