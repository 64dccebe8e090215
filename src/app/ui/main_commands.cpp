// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_commands.h"

#include <array>

namespace vz::ui {

namespace {

constexpr std::array<const char *, 7> kTabs{
    "ソフト管理", "ログ編集・レコード検索", "カード印刷", "検　索", "カレンダー", "ヘルプ",
    "ファイル",
};

constexpr std::array<CommandSpec, 26> kCommands{{
    {Command::NewUser, 0, "SpeedButton1", "新規登録", "|新しいユーザを登録します"},
    {Command::SwitchUser, 0, "SpeedButton2", "切り替え", "|別のユーザに切り替えます"},
    {Command::Reference, 0, "SpeedButton3", "参照設定",
     "|履歴や検索で他のコールサインのデータを参照します"},
    {Command::PersonalInfo, 0, "SpeedButton4", "個人情報",
     "|ユーザごとの情報やソフトの環境を設定します"},
    {Command::Events, 0, "SpeedButton5", "行事予定",
     "|ユーザごとにスケジュールや行事（家族の誕生日など）を登録します"},
    {Command::LogInput, 1, "SpeedButton6", "入力", "|交信した記録（ログ）を入力・登録します"},
    {Command::LogModify, 1, "SpeedButton7", "修正", "|記録（ログ）の修正をします"},
    {Command::LogDelete, 1, "SpeedButton8", "削除", "|記録（ログ）を削除します"},
    {Command::LogSearch, 1, "SpeedButton9", "ﾚｺｰﾄﾞ検索", "|レコード番号で検索します"},
    {Command::Postcard, 2, "SpeedButton10", "はがき（白紙）",
     "|はがきや白紙でＱＳＬカードを印刷します"},
    {Command::CommercialHorizontal, 2, "SpeedButton11", "市販横型",
     "|市販（または特注）の横型カードを印刷します"},
    {Command::CommercialVertical, 2, "SpeedButton12", "市販縦型",
     "|市販（または特注）の縦型カードを印刷します"},
    {Command::BlankCard, 2, "SpeedButton13", "ブランクカード",
     "|データの記入がないブランクカードを印刷します"},
    {Command::ItemSearch, 3, "SpeedButton14", "項目別検索", "|項目別で検索します"},
    {Command::AreaSearch, 3, "SpeedButton15", "エリア別検索", "|エリア別で検索します"},
    {Command::PrevYear, 4, "SpeedButton16", "前年", "|前年へ"},
    {Command::PrevMonth, 4, "SpeedButton17", "前月", "|前月へ"},
    {Command::BackToToday, 4, "SpeedButton18", "元に復帰", "|今日の日付に戻る"},
    {Command::NextMonth, 4, "SpeedButton19", "翌月", "|翌月へ"},
    {Command::NextYear, 4, "SpeedButton20", "翌年", "|翌年へ"},
    {Command::HelpContents, 5, "SpeedButton21", "目　　次", "|ヘルプの目次"},
    {Command::HelpKeyword, 5, "SpeedButton22", "キ-ワ-ド", "|ヘルプのキーワード"},
    {Command::About, 5, "SpeedButton23", "バージョン情報", "|ソフトのバージョン情報"},
    {Command::JccEdit, 6, "SpeedButton24", "JCC編集",
     "|ＪＣＣのマスタデータの追加・修正などを行います"},
    {Command::RestoreLog, 6, "SpeedButton25", "ﾛｸﾞﾌｧｲﾙ復元",
     "|データ削除したログファイルを直前のものに戻します"},
    {Command::ReorganizeLog, 6, "SpeedButton26", "ﾛｸﾞﾌｧｲﾙ整理",
     "|ログファイルの削除データを取り除きます"},
}};

} // namespace

std::span<const char *const> tabCaptions()
{
    return kTabs;
}

std::span<const CommandSpec> commandSpecs()
{
    return kCommands;
}

} // namespace vz::ui
