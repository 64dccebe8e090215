// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ui/commercial_card_dialog.h"

#include "common/ui/hint_bar.h"
#include "print/card_layouts.h"

#include <QCheckBox>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace vz::ui {

namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 333;
const QColor kSilver(192, 192, 192);
const QColor kAqua(0, 255, 255);
const QColor kPink(255, 128, 192);

constexpr std::array<const char *, print::kItemCount> kCaptions{
    "ToRadio", "Date", "Time",       "RST",        "Band",     "Mode",    "Rig",
    "Pwor",    "Ant",  "Rmks(標準)", "Rmks(追加)", "His 移動", "My 移動", "My コールサイン",
    "氏名",    "住所", "追加情報",   "年",         "月",       "日",      "C-No.",
};

struct OptionBox
{
    const char *name;
    const char *caption;
    bool print::CommercialOptions::*member;
};
constexpr std::array<OptionBox, 11> kBoxes{{
    {"boxCallBox", "転送用コールサイン印刷", &print::CommercialOptions::boxCall},
    {"toRadioBox", "ＴｏＲａｄｉｏ　を印刷", &print::CommercialOptions::toRadio},
    {"splitDateBox", "交信年・月・日を分割印刷", &print::CommercialOptions::splitDate},
    {"addressedRemarkBox", "備考に〝xx(Esq.)　さん〟を前置",
     &print::CommercialOptions::addressedRemark},
    {"additionalRemarkBox", "備考（追加）印刷", &print::CommercialOptions::additionalRemark},
    {"ownCallBox", "自局コールサイン印刷", &print::CommercialOptions::ownCall},
    {"addressBox", "自局住所・氏名を印刷する", &print::CommercialOptions::addressWanted},
    {"kanjiAddressBox", "漢字で印刷する", &print::CommercialOptions::kanjiAddress},
    {"latinAddressBox", "英字で印刷する", &print::CommercialOptions::latinAddress},
    {"portableBox", "自・相手局の移動地印刷", &print::CommercialOptions::portable},
    {"additionalInfoBox", "追加情報印刷", &print::CommercialOptions::additionalInfo},
}};

QLabel *makeMarker(const QString &text, QWidget *parent, QPoint at)
{
    auto *marker = new QLabel(text, parent);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setBold(true);
    f.setPixelSize(12);
    marker->setFont(f);
    marker->setAutoFillBackground(true);
    QPalette p = marker->palette();
    p.setColor(QPalette::Window, kPink);
    marker->setPalette(p);
    marker->adjustSize();
    marker->move(at);
    return marker;
}

} // namespace

LayoutLabel::LayoutLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setAutoFillBackground(true);
    setColour(kSilver);
    setMouseTracking(true);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    adjustSize();
}

void LayoutLabel::setColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void LayoutLabel::mousePressEvent(QMouseEvent *event)
{
    setCursor(Qt::ClosedHandCursor);
    setColour(kAqua);
    m_pressPoint = event->position().toPoint();
    m_held = true;
}

void LayoutLabel::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(Qt::PointingHandCursor);
    if (!m_held)
        return;
    // The press point follows the mouse; the label may leave the panel.
    move(pos() + event->position().toPoint() - m_pressPoint);
}

void LayoutLabel::mouseReleaseEvent(QMouseEvent *)
{
    m_held = false;
    unsetCursor();
    setColour(kSilver);
    Q_EMIT dropped();
}

CommercialCardDialog::CommercialCardDialog(app::AppState &state, UiServices &services,
                                           QWidget *parent)
    : CardDialog(state, services, parent),
      m_kind(state.dialogModes.prin == Vertical ? print::CardKind::Vertical
                                                : print::CardKind::Horizontal)
{
    setObjectName(QStringLiteral("CommercialCardDialog"));
    setFixedSize(kClientWidth, kClientHeight);
    setTitle(m_kind == print::CardKind::Horizontal ? QStringLiteral("横型（横置）印刷")
                                                   : QStringLiteral("縦型（縦置）印刷"));
    setGreyFrame(true);
    buildOptions();
    buildPreview();
    buildRangeControls(QStringLiteral("カード No. 印刷"), QPoint(612, 30), QPoint(632, 50), false);
    m_testPrintButton =
        makeDialogButton(this, QStringLiteral("testPrintButton"), QStringLiteral("テスト印刷"),
                         QRect(612, 170, 150, 24), false);
    m_applyButton = makeDialogButton(this, QStringLiteral("applyButton"), QStringLiteral("適　用"),
                                     QRect(612, 210, 150, 24), false);
    m_helpButton = makeDialogButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                                    QRect(612, 250, 150, 24), false);
    m_closeButton = makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                                     QRect(612, 280, 150, 24), false);
    connect(m_testPrintButton, &QPushButton::clicked, this, &CommercialCardDialog::testPrint);
    connect(m_applyButton, &QPushButton::clicked, this, &CommercialCardDialog::applyOptions);
    connect(m_helpButton, &QPushButton::clicked, this, &CommercialCardDialog::showHelp);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);

    // Opening: the stored options and the stored layout of this kind over the defaults.
    print::CommercialOptions stored;
    print::CardLayout positions = print::defaultLayout(m_kind);
    if (const std::optional<ProfileFile> file = ProfileFile::load(m_state.layoutPath)) {
        stored = print::readCommercialOptions(*file, stored);
        positions = print::readLayout(*file, m_kind, positions);
    }
    setOptions(stored);
    for (int item = print::kFirstItem; item <= print::kLastItem; ++item) {
        const print::ItemPosition &p = print::at(positions, item);
        itemLabel(item)->move(p.left, p.top);
    }
    m_applyButton->setEnabled(false);
    applyVisibility();
    adoptChildren();
}

void CommercialCardDialog::buildPreview()
{
    const bool horizontal = m_kind == print::CardKind::Horizontal;
    const QRect panel = horizontal ? QRect(262, 40, 312, 228) : QRect(300, 12, 222, 312);
    auto *shadow = new QFrame(this);
    shadow->setGeometry(panel.translated(5, 5));
    shadow->setAutoFillBackground(true);
    QPalette sp = shadow->palette();
    sp.setColor(QPalette::Window, kSilver);
    shadow->setPalette(sp);
    m_preview = new QFrame(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setGeometry(panel);
    m_preview->setAutoFillBackground(true);
    QPalette wp = m_preview->palette();
    wp.setColor(QPalette::Window, Qt::white);
    m_preview->setPalette(wp);
    m_preview->setMouseTracking(true);

    // The six box characters sit where the card prints them; they show, never move.
    const QString marks[] = {QStringLiteral("Ｊ"), QStringLiteral("Ｘ"), QStringLiteral("１"),
                             QStringLiteral("Ｘ"), QStringLiteral("Ｘ"), QStringLiteral("Ｘ")};
    for (int i = 0; i < 6; ++i)
        makeMarker(marks[i], m_preview,
                   horizontal ? QPoint(17, 115 - 17 * i) : QPoint(109 + 15 * i, 17));

    for (int item = print::kFirstItem; item <= print::kLastItem; ++item) {
        auto *label = new LayoutLabel(
            QString::fromUtf8(kCaptions[static_cast<std::size_t>(item - print::kFirstItem)]),
            m_preview);
        label->setObjectName(QStringLiteral("item%1Label").arg(item, 2, 10, QLatin1Char('0')));
        connect(label, &LayoutLabel::dropped, this, [this] { m_state.layoutModified = true; });
        m_labels[static_cast<std::size_t>(item - print::kFirstItem)] = label;
    }
}

void CommercialCardDialog::buildOptions()
{
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(kBoxes[i].caption), this);
        box->setObjectName(QString::fromUtf8(kBoxes[i].name));
        box->setGeometry(28, 38 + static_cast<int>(i) * 23, 208, 22);
        m_optionBoxes[i] = box;
    }
    setHint(m_optionBoxes[3], QStringLiteral("|備考（標準）に国内向けは　ＸＸさん、　国外向けは　"
                                             "ＸＸ Esq.　を前置きして印刷する"));
    setHint(m_optionBoxes[9], QStringLiteral("|移動地が入力されている場合の印刷の要否"));
    auto *note = new QLabel(QStringLiteral("※　指定項目以外は標準印刷"), this);
    note->adjustSize();
    note->move(30, 296);
    m_addressBox = m_optionBoxes[6];
    m_kanjiBox = m_optionBoxes[7];
    m_latinBox = m_optionBoxes[8];
    for (QCheckBox *box : m_optionBoxes)
        if (box != m_addressBox)
            connect(box, &QCheckBox::clicked, this, [this] { m_applyButton->setEnabled(true); });
    connect(m_addressBox, &QCheckBox::toggled, this, &CommercialCardDialog::addressSwitched);
    connect(m_kanjiBox, &QCheckBox::clicked, this,
            [this] { scriptPressed(m_kanjiBox, m_latinBox); });
    connect(m_latinBox, &QCheckBox::clicked, this,
            [this] { scriptPressed(m_latinBox, m_kanjiBox); });
}

void CommercialCardDialog::addressSwitched()
{
    if (!m_addressBox->isChecked()) {
        m_kanjiBox->setChecked(false);
        m_latinBox->setChecked(false);
    }
}

void CommercialCardDialog::scriptPressed(QCheckBox *pressed, QCheckBox *other)
{
    // Without the address neither script prints; with it, exactly one does.
    if (!m_addressBox->isChecked()) {
        pressed->setChecked(false);
        return;
    }
    other->setChecked(!pressed->isChecked());
}

print::CommercialOptions CommercialCardDialog::options() const
{
    print::CommercialOptions o;
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        o.*kBoxes[i].member = m_optionBoxes[i]->isChecked();
    return o;
}

void CommercialCardDialog::setOptions(const print::CommercialOptions &options)
{
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        m_optionBoxes[i]->setChecked(options.*kBoxes[i].member);
}

print::CardLayout CommercialCardDialog::layout() const
{
    print::CardLayout positions{};
    for (int item = print::kFirstItem; item <= print::kLastItem; ++item) {
        const QPoint p = itemLabel(item)->pos();
        print::at(positions, item) = {p.x(), p.y()};
    }
    return positions;
}

void CommercialCardDialog::applyVisibility()
{
    const print::CommercialOptions o = options();
    const auto show = [this](int item, bool on) { itemLabel(item)->setVisible(on); };
    show(7, o.toRadio);
    show(8, !o.splitDate);
    for (int item : {24, 25, 26})
        show(item, o.splitDate);
    show(17, o.additionalRemark);
    show(20, o.ownCall);
    show(18, o.portable);
    show(19, o.portable);
    show(23, o.additionalInfo);
    const bool address =
        m_kind == print::CardKind::Horizontal ? o.addressWanted : o.kanjiAddress || o.latinAddress;
    show(21, address);
    show(22, address);
}

bool CommercialCardDialog::writeOptions()
{
    const print::CommercialOptions o = options();
    if (print::updateLayoutFile(m_state.layoutPath,
                                [&](ProfileFile &f) { print::writeCommercialOptions(f, o); }))
        return true;
    layoutWriteFailed();
    return false;
}

void CommercialCardDialog::applyOptions()
{
    m_applyButton->setEnabled(false);
    applyVisibility();
    if (!writeOptions())
        m_applyButton->setEnabled(true); // still to be kept
}

void CommercialCardDialog::numberTyped()
{
    CardDialog::numberTyped();
    // A test card is for trying the layout while no range is being typed.
    m_testPrintButton->setEnabled(m_fromEdit->text().isEmpty() && m_toEdit->text().isEmpty());
}

void CommercialCardDialog::rangeCleared()
{
    m_testPrintButton->setEnabled(true);
}

void CommercialCardDialog::testPrint()
{
    runOnJob([this](print::PrintJob &job) {
        return print::runTestPrint(m_state.cardNumber, cardDrawing(), job);
    });
}

print::CardDrawing CommercialCardDialog::cardDrawing() const
{
    const print::CommercialOptions o = options();
    const print::CardLayout positions = layout();
    if (m_kind == print::CardKind::Vertical)
        return [o, positions](print::CardCanvas &c, const print::DotScale &s,
                              const print::CardText &card, long long number) {
            print::drawVerticalCard(c, s, card, number, o, positions);
        };
    return [o, positions](print::CardCanvas &c, const print::DotScale &s,
                          const print::CardText &card, long long number) {
        print::drawHorizontalCard(c, s, card, number, o, positions);
    };
}

void CommercialCardDialog::done(int result)
{
    // A dragged position becomes permanent when the dialog closes.
    if (m_state.layoutModified) {
        const print::CardLayout positions = layout();
        if (!print::updateLayoutFile(m_state.layoutPath, [&](ProfileFile &f) {
                print::writeLayout(f, m_kind, positions);
            }))
            layoutWriteFailed();
    }
    if (m_applyButton->isEnabled())
        writeOptions();
    m_state.dialogModes.prin = 0;
    CardDialog::done(result);
}

void CommercialCardDialog::paintEvent(QPaintEvent *event)
{
    CardDialog::paintEvent(event);
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), 2));
    p.drawRect(QRect(QPoint(20, 32), QPoint(240, 320)));
}

} // namespace vz::ui
