// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_settings.h"

#include "common/callsign.h"
#include "common/file_lock.h"
#include "common/profile_file.h"
#include "common/sjis.h"

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace vz::app {

namespace {

// Section and key names are Japanese; the file holds them in Shift_JIS.
std::string sj(std::string_view utf8)
{
    return sjis::fromUtf8(utf8).value_or(std::string());
}

struct Names
{
    std::string fixedStrings = sj("定型文字列");
    std::string personal = sj("個人情報");
    std::string input = sj("入力条件");
    std::string reference = sj("同時参照");

    std::string fixedJcc = sj("固定JCC");
    std::string kanjiName = sj("漢字氏名");
    std::string latinName = sj("英字氏名");
    std::string kanjiAddress = sj("漢字住所");
    std::string latinAddress = sj("英字住所");
    std::string mobileJcc = sj("移動JCC");
    std::string cardNo = sj("カードＮｏ");
    std::string rig = sj("無線機");
    std::string antenna = sj("アンテナ");
    std::string domesticRemark = sj("備考（標準）");
    std::string foreignRemark = "Rem(STD)";
    std::string extraInfo = sj("追加情報");
    std::string fixedCity = sj("固定所在地");
    std::string fixedLatLon = sj("固定緯度経度");
    std::string mobileCity = sj("移動所在地");
    std::string mobileLatLon = sj("移動緯度経度");
    std::string mobileOperation = sj("移動運用");
    std::string fixedSpot = sj("固定スポット");
    std::string mobileSpot = sj("移動スポット");
    std::string historyFill = sj("履歴データ取込");
    std::string autoDateTime = sj("日時自動入力");
    std::string keyClick = sj("キークリック");
    std::string flatWindow = sj("ウインドウ");
    std::string reserve1 = sj("予備１");
    std::string reserve2 = sj("予備２");
    std::string referenceCall = sj("参照コール");
    std::string referenceFlag = sj("参照フラグ");
    std::string deletedFlag = sj("削除フラグ");
    std::string awards = sj("アワード");
    std::string confirmationMark = sj("受領確認マーク");
    std::string lotwMark = sj("LoTW確認マーク");
    std::string eqslMark = sj("eQSL確認マーク");
};

const Names &names()
{
    static const Names n;
    return n;
}

std::string funcKey(int i)
{
    // "Func 1" to "Func 9" carry a blank, "Func10" none.
    return i < 10 ? "Func " + std::to_string(i) : "Func10";
}

// The text members of the personal section, in the order they are written.
template <typename Settings, typename Visit> void forEachPersonalText(Settings &s, Visit visit)
{
    const Names &n = names();
    visit(n.fixedJcc, s.fixedJcc, "");
    visit(n.kanjiName, s.kanjiName, "");
    visit(n.latinName, s.latinName, "");
    visit(n.kanjiAddress, s.kanjiAddress, "");
    visit(n.latinAddress, s.latinAddress, "");
    visit(n.mobileJcc, s.mobileJcc, "");
    visit(n.cardNo, s.cardNo, "1");
    visit(n.rig, s.rig, "");
    visit(n.antenna, s.antenna, "");
    visit(n.domesticRemark, s.domesticRemark, "");
    visit(n.foreignRemark, s.foreignRemark, "Today I able to meet and good   ");
    visit(n.extraInfo, s.extraInfo, "");
    visit(n.fixedCity, s.fixedCity, "");
    visit(n.fixedLatLon, s.fixedLatLon, "");
    visit(n.mobileCity, s.mobileCity, "");
    visit(n.mobileLatLon, s.mobileLatLon, "");
}

template <typename Settings, typename Visit> void forEachInputOption(Settings &s, Visit visit)
{
    const Names &n = names();
    visit(n.historyFill, s.historyFill);
    visit(n.autoDateTime, s.autoDateTime);
    visit(n.keyClick, s.keyClick);
    visit(n.flatWindow, s.flatWindow);
    visit(n.reserve1, s.reserve1);
    visit(n.reserve2, s.reserve2);
}

} // namespace

LoadedSettings readUserSettings(const std::string &path)
{
    LoadedSettings loaded;
    auto file = ProfileFile::load(path);
    if (!file) {
        loaded.readable = false;
        file = ProfileFile{};
    }
    const ProfileFile &p = *file;
    const Names &n = names();
    UserSettings &s = loaded.settings;

    for (int i = 1; i <= 10; ++i)
        s.fixedStrings[i - 1] = p.text(n.fixedStrings, funcKey(i), "");
    forEachPersonalText(s, [&](const std::string &key, std::string &value, const char *fallback) {
        value = p.text(n.personal, key, fallback);
    });
    s.mobileOperation = p.boolean(n.personal, n.mobileOperation, false);
    for (int i = 0; i < 6; ++i) {
        const std::string digit = std::to_string(i + 1);
        s.fixedSpot[i] = p.integer(n.personal, n.fixedSpot + digit, 0);
        s.mobileSpot[i] = p.integer(n.personal, n.mobileSpot + digit, 0);
    }
    forEachInputOption(
        s, [&](const std::string &key, bool &value) { value = p.boolean(n.input, key, false); });

    s.confirmationMark = p.text(n.awards, n.confirmationMark, log::kDefaultConfirmationMark);
    s.lotwMark = p.text(n.awards, n.lotwMark, log::kDefaultLotwMark);
    s.eqslMark = p.text(n.awards, n.eqslMark, log::kDefaultEqslMark);
    s.lotwMarkInFile = p.value(n.awards, n.lotwMark).has_value();
    s.eqslMarkInFile = p.value(n.awards, n.eqslMark).has_value();

    ReferenceState &r = loaded.reference;
    r.referenceCall = p.text(n.reference, n.referenceCall, "");
    r.referenceOn = p.boolean(n.reference, n.referenceFlag, false);
    r.deletedFlag = p.boolean(n.reference, n.deletedFlag, false);
    // A reference callsign names a file: anything else is no reference at all.
    if (!isValidOwnCallsign(r.referenceCall)) {
        r.referenceCall.clear();
        r.referenceOn = false;
    }
    return loaded;
}

bool writeUserSettings(const std::string &path, const UserSettings &settings,
                       const ReferenceState &reference, const SettingsBaseline *baseline)
{
    // Read and written under the file's lock: another program's save or card number that
    // lands between the read and the rename is not lost.
    FileLock lock;
    if (lock.acquire(path, LockMode::Exclusive, kRecordLockWait, true) != LockResult::Ok)
        return false;
    auto file = ProfileFile::load(path);
    if (!file)
        return false; // never replace a file that could not be read with one that lost its lines
    ProfileFile &p = *file;
    const Names &n = names();
    // Without a baseline every key is written; with one, those this program changed and
    // those the file lacks (a new user's file gets every key, as it always has).
    const auto changed = [&](const std::string &section, const std::string &key, const auto &now,
                             const auto &before) {
        return baseline == nullptr || !(now == before) || !p.value(section, key);
    };
    const UserSettings &was = baseline ? baseline->settings : settings;
    const ReferenceState &wasRef = baseline ? baseline->reference : reference;

    for (int i = 1; i <= 10; ++i)
        if (changed(n.fixedStrings, funcKey(i), settings.fixedStrings[i - 1],
                    was.fixedStrings[i - 1]))
            p.set(n.fixedStrings, funcKey(i), settings.fixedStrings[i - 1]);
    std::vector<const std::string *> before;
    forEachPersonalText(was, [&](const std::string &, const std::string &value, const char *) {
        before.push_back(&value);
    });
    std::size_t k = 0;
    forEachPersonalText(settings,
                        [&](const std::string &key, const std::string &value, const char *) {
                            if (changed(n.personal, key, value, *before[k++]))
                                p.set(n.personal, key, value);
                        });
    if (changed(n.personal, n.mobileOperation, settings.mobileOperation, was.mobileOperation))
        p.setBoolean(n.personal, n.mobileOperation, settings.mobileOperation);
    for (int i = 0; i < 6; ++i) {
        const std::string digit = std::to_string(i + 1);
        if (changed(n.personal, n.fixedSpot + digit, settings.fixedSpot[i], was.fixedSpot[i]))
            p.setInteger(n.personal, n.fixedSpot + digit,
                         static_cast<long long>(settings.fixedSpot[i]));
        if (changed(n.personal, n.mobileSpot + digit, settings.mobileSpot[i], was.mobileSpot[i]))
            p.setInteger(n.personal, n.mobileSpot + digit,
                         static_cast<long long>(settings.mobileSpot[i]));
    }
    std::vector<bool> optionsBefore;
    forEachInputOption(
        was, [&](const std::string &, const bool &value) { optionsBefore.push_back(value); });
    k = 0;
    forEachInputOption(settings, [&](const std::string &key, const bool &value) {
        if (changed(n.input, key, value, static_cast<bool>(optionsBefore[k++])))
            p.setBoolean(n.input, key, value);
    });
    if (changed(n.reference, n.referenceCall, reference.referenceCall, wasRef.referenceCall))
        p.set(n.reference, n.referenceCall, reference.referenceCall);
    if (changed(n.reference, n.referenceFlag, reference.referenceOn, wasRef.referenceOn))
        p.setBoolean(n.reference, n.referenceFlag, reference.referenceOn);
    if (changed(n.reference, n.deletedFlag, reference.deletedFlag, wasRef.deletedFlag))
        p.setBoolean(n.reference, n.deletedFlag, reference.deletedFlag);
    // A file from before the mark was a setting stays as it was while the mark is the default.
    // A file from before the marks were settings stays as it was while they are the defaults.
    const auto mark = [&](const std::string &key, const std::string &now, const std::string &before,
                          std::string_view fallback) {
        if ((now != fallback || p.value(n.awards, key)) && changed(n.awards, key, now, before))
            p.set(n.awards, key, now);
    };
    mark(n.confirmationMark, settings.confirmationMark, was.confirmationMark,
         log::kDefaultConfirmationMark);
    mark(n.lotwMark, settings.lotwMark, was.lotwMark, log::kDefaultLotwMark);
    mark(n.eqslMark, settings.eqslMark, was.eqslMark, log::kDefaultEqslMark);
    return p.save(path);
}

bool writeCardNumber(const std::string &path, const std::string &cardNo)
{
    FileLock lock;
    if (lock.acquire(path, LockMode::Exclusive, kRecordLockWait, true) != LockResult::Ok)
        return false;
    return writeCardNumberLocked(path, cardNo);
}

bool writeCardNumberLocked(const std::string &path, const std::string &cardNo)
{
    auto file = ProfileFile::load(path);
    if (!file)
        return false;
    file->set(names().personal, names().cardNo, cardNo);
    return file->save(path);
}

bool keepElectronicMarks(const std::string &path, const UserSettings &settings, bool lotw,
                         bool eqsl)
{
    if ((!lotw || settings.lotwMarkInFile) && (!eqsl || settings.eqslMarkInFile))
        return true;
    FileLock lock;
    if (lock.acquire(path, LockMode::Exclusive, kRecordLockWait, true) != LockResult::Ok)
        return false;
    auto file = ProfileFile::load(path);
    if (!file)
        return false;
    const Names &n = names();
    bool added = false;
    for (const auto &[used, key, value] : {std::tuple{lotw, &n.lotwMark, &settings.lotwMark},
                                           std::tuple{eqsl, &n.eqslMark, &settings.eqslMark}}) {
        if (used && !file->value(n.awards, *key)) {
            file->set(n.awards, *key, *value);
            added = true;
        }
    }
    return !added || file->save(path);
}

std::vector<std::string> confirmationMarks(const UserSettings &settings, log::ConfirmedBy by)
{
    std::vector<std::string> marks;
    if (by.card)
        marks.push_back(settings.confirmationMark);
    if (by.lotw)
        marks.push_back(settings.lotwMark);
    if (by.eqsl)
        marks.push_back(settings.eqslMark);
    return marks;
}

SpotCoordinates chooseOwnLocation(const UserSettings &settings)
{
    return settings.mobileOperation ? settings.mobileSpot : settings.fixedSpot;
}

} // namespace vz::app
