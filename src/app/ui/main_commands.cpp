// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_commands.h"

#include <array>

namespace vz::ui {

namespace {

constexpr std::array<const char *, 8> kTabs{
    "ソフト管理", "ログ編集・レコード検索",
    "カード印刷", "検　索",
    "カレンダー", "ヘルプ",
    "ファイル",   "LoTW",
};

constexpr std::array<CommandSpec, 32> kCommands{{
    {Command::NewUser, 0, "newUserButton", "新規登録", "|新しいユーザを登録します"},
    {Command::SwitchUser, 0, "switchUserButton", "切り替え", "|別のユーザに切り替えます"},
    {Command::Reference, 0, "referenceButton", "参照設定",
     "|履歴や検索で他のコールサインのデータを参照します"},
    {Command::PersonalInfo, 0, "personalInfoButton", "個人情報",
     "|ユーザごとの情報やソフトの環境を設定します"},
    {Command::Events, 0, "eventsButton", "行事予定",
     "|ユーザごとにスケジュールや行事（家族の誕生日など）を登録します"},
    {Command::LogInput, 1, "logInputButton", "入力", "|交信した記録（ログ）を入力・登録します"},
    {Command::LogModify, 1, "logModifyButton", "修正", "|記録（ログ）の修正をします"},
    {Command::LogDelete, 1, "logDeleteButton", "削除", "|記録（ログ）を削除します"},
    {Command::LogSearch, 1, "logSearchButton", "ﾚｺｰﾄﾞ検索", "|レコード番号で検索します"},
    {Command::Postcard, 2, "postcardButton", "はがき（白紙）",
     "|はがきや白紙でＱＳＬカードを印刷します"},
    {Command::CommercialHorizontal, 2, "horizontalCardButton", "市販横型",
     "|市販（または特注）の横型カードを印刷します"},
    {Command::CommercialVertical, 2, "verticalCardButton", "市販縦型",
     "|市販（または特注）の縦型カードを印刷します"},
    {Command::BlankCard, 2, "blankCardButton", "ブランクカード",
     "|データの記入がないブランクカードを印刷します"},
    {Command::ItemSearch, 3, "itemSearchButton", "項目別検索", "|項目別で検索します"},
    {Command::AreaSearch, 3, "areaSearchButton", "エリア別検索", "|エリア別で検索します"},
    {Command::Awards, 3, "awardsButton", "アワード",
     "|市（ＪＣＣ）・区・郡（ＪＣＧ）ごとの交信と確認の進み具合を表示します"},
    {Command::PrevYear, 4, "previousYearButton", "前年", "|前年へ"},
    {Command::PrevMonth, 4, "previousMonthButton", "前月", "|前月へ"},
    {Command::BackToToday, 4, "backToTodayButton", "元に復帰", "|今日の日付に戻る"},
    {Command::NextMonth, 4, "nextMonthButton", "翌月", "|翌月へ"},
    {Command::NextYear, 4, "nextYearButton", "翌年", "|翌年へ"},
    {Command::HelpContents, 5, "helpContentsButton", "目　　次", "|ヘルプの目次"},
    {Command::HelpKeyword, 5, "helpKeywordButton", "キ-ワ-ド", "|ヘルプのキーワード"},
    {Command::About, 5, "aboutButton", "バージョン情報", "|ソフトのバージョン情報"},
    {Command::JccEdit, 6, "jccEditButton", "JCC編集",
     "|ＪＣＣのマスタデータの追加・修正などを行います"},
    {Command::RestoreLog, 6, "restoreLogButton", "ﾛｸﾞﾌｧｲﾙ復元",
     "|データ削除したログファイルを直前のものに戻します"},
    {Command::ReorganizeLog, 6, "reorganizeLogButton", "ﾛｸﾞﾌｧｲﾙ整理",
     "|ログファイルの削除データを取り除きます"},
    {Command::ExportAdif, 6, "exportAdifButton", "ADIF出力",
     "|ログをADIF形式で書き出します（他のログソフトやQSL交換サービス用）"},
    {Command::ImportAdif, 6, "importAdifButton", "ADIF取込",
     "|ADIF形式のファイルの交信をログに取り込みます"},
    {Command::ImportConfirmations, 6, "importConfirmationsButton", "LoTW/eQSL確認の取込",
     "|LoTW・eQSL の確認（ADIF）をログの交信に付けます。交信は追加しません"},
    {Command::LotwUpload, 7, "lotwUploadButton", "LoTWへ送信",
     "|まだ送っていない交信を TQSL で署名して LoTW へ送信します"},
    {Command::LotwDownload, 7, "lotwDownloadButton", "LoTWから確認を取得",
     "|前回の取得から後に LoTW で確認された交信を取り寄せ、ログの交信に確認マークを付けます"},
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
