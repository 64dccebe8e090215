// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/ui/postcard_dialog.h"

#include "cards/qt_card_canvas.h"
#include "common/ui/hint_bar.h"
#include "print/card_layouts.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace vz::ui {

namespace {

constexpr int kClientWidth = 787;
constexpr int kClientHeight = 333;

const QString kRemarkHint = QStringLiteral(
    "|備考（標準）に国内向けは　ＸＸさん、　国外向けは　ＸＸ Esq.　を前置きして印刷する");

// Each box and the option it stands for, in the order they are shown.
struct OptionBox
{
    const char *name;
    const char *caption;
    bool print::PostcardOptions::*member;
};
constexpr std::array<OptionBox, 6> kBoxes{{
    {"addressedRemarkBox", "備考に〝xx　さん(Esq.)〟を前置",
     &print::PostcardOptions::addressedRemark},
    {"additionalRemarkBox", "備考（追加）を印刷", &print::PostcardOptions::additionalRemark},
    {"ownCallBox", "自局コールサインを印刷", &print::PostcardOptions::ownCall},
    {"kanjiAddressBox", "住所・氏名漢字印刷", &print::PostcardOptions::kanjiAddress},
    {"latinAddressBox", "住所・氏名英字印刷", &print::PostcardOptions::latinAddress},
    {"additionalInfoBox", "追加情報印刷", &print::PostcardOptions::additionalInfo},
}};

} // namespace

PostcardDialog::PostcardDialog(app::AppState &state, UiServices &services, QWidget *parent)
    : CardDialog(state, services, parent)
{
    setObjectName(QStringLiteral("PostcardDialog"));
    setFixedSize(kClientWidth, kClientHeight);
    setTitle(QStringLiteral("はがき印刷"));
    setGreyFrame(true);

    auto *cardOnly = new QLabel(QStringLiteral("はがき（白紙）専用"), this);
    cardOnly->adjustSize();
    cardOnly->move(300, 14);
    auto *sampleCaption = new QLabel(QStringLiteral("※　印刷例"), this);
    sampleCaption->adjustSize();
    sampleCaption->move(46, 26);
    m_samplePicture = new QLabel(this);
    m_samplePicture->setObjectName(QStringLiteral("samplePicture"));
    m_samplePicture->setGeometry(45, 43, 210, 266);
    m_samplePicture->setScaledContents(true);
    const struct
    {
        const char *text;
        double mm;  // the line's height on the card
        int offset; // the two remark lines are close: one pointer above, one below
    } pointers[] = {{"←備考標準", 59, -12}, {"←備考追加", 65, 2}, {"←追加情報", 128, -6}};
    for (const auto &p : pointers) {
        auto *l = new QLabel(QString::fromUtf8(p.text), this);
        l->adjustSize();
        l->move(262, 43 + static_cast<int>(p.mm / 148 * 266) + p.offset);
    }

    buildOptions();
    buildRangeControls(QStringLiteral("カード No. 指定"), QPoint(600, 40), QPoint(620, 64), true);
    m_applyButton = makeDialogButton(this, QStringLiteral("applyButton"), QStringLiteral("適　用"),
                                     QRect(600, 190, 150, 24), false);
    m_helpButton = makeDialogButton(this, QStringLiteral("helpButton"), QStringLiteral("ヘルプ"),
                                    QRect(600, 240, 150, 24), false);
    m_closeButton = makeDialogButton(this, QStringLiteral("closeButton"), QStringLiteral("終　了"),
                                     QRect(600, 270, 150, 24), false);
    connect(m_applyButton, &QPushButton::clicked, this, &PostcardDialog::applyOptions);
    connect(m_helpButton, &QPushButton::clicked, this, &PostcardDialog::showHelp);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);

    // Opening: the options as stored, nothing to apply yet.
    print::PostcardOptions stored;
    if (const std::optional<ProfileFile> file = ProfileFile::load(m_state.layoutPath))
        stored = print::readPostcardOptions(*file, stored);
    setOptions(stored);
    m_applyButton->setEnabled(false);
    m_samplePicture->setPixmap(QPixmap::fromImage(samplePicture(print::PostcardOptions{})));
    adoptChildren();
}

void PostcardDialog::buildOptions()
{
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(kBoxes[i].caption), this);
        box->setObjectName(QString::fromUtf8(kBoxes[i].name));
        // Clear of the pointers beside the sample card, whose text ends near x = 330.
        box->setGeometry(340, 48 + static_cast<int>(i) * 30, 250, 22);
        connect(box, &QCheckBox::clicked, this, [this] { m_applyButton->setEnabled(true); });
        m_optionBoxes[i] = box;
    }
    setHint(m_optionBoxes[0], kRemarkHint);
    m_kanjiBox = m_optionBoxes[3];
    m_latinBox = m_optionBoxes[4];
    connect(m_kanjiBox, &QCheckBox::clicked, this,
            [this] { scriptPressed(m_kanjiBox, m_latinBox); });
    connect(m_latinBox, &QCheckBox::clicked, this,
            [this] { scriptPressed(m_latinBox, m_kanjiBox); });
}

void PostcardDialog::scriptPressed(QCheckBox *pressed, QCheckBox *other)
{
    // The two scripts take turns: exactly one of them is on after a press.
    other->setChecked(!pressed->isChecked());
}

print::PostcardOptions PostcardDialog::options() const
{
    print::PostcardOptions o;
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        o.*kBoxes[i].member = m_optionBoxes[i]->isChecked();
    return o;
}

void PostcardDialog::setOptions(const print::PostcardOptions &options)
{
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
        m_optionBoxes[i]->setChecked(options.*kBoxes[i].member);
}

bool PostcardDialog::writeOptions()
{
    const print::PostcardOptions o = options();
    if (print::updateLayoutFile(m_state.layoutPath,
                                [&](ProfileFile &f) { print::writePostcardOptions(f, o); }))
        return true;
    layoutWriteFailed();
    return false;
}

void PostcardDialog::applyOptions()
{
    if (writeOptions())
        m_applyButton->setEnabled(false);
}

print::CardDrawing PostcardDialog::cardDrawing() const
{
    const print::PostcardOptions o = options();
    return [o](print::CardCanvas &c, const print::DotScale &s, const print::CardText &card,
               long long number) { print::drawPostcard(c, s, card, number, o); };
}

void PostcardDialog::done(int result)
{
    // The options are kept whether or not they were applied.
    writeOptions();
    m_state.dialogModes.post = 0;
    CardDialog::done(result);
}

void PostcardDialog::paintEvent(QPaintEvent *event)
{
    CardDialog::paintEvent(event);
    QPainter p(this);
    p.setPen(QPen(QColor(128, 128, 128), 2));
    p.drawRect(QRect(QPoint(40, 42), QPoint(260, 310)));
}

QImage PostcardDialog::samplePicture(const print::PostcardOptions &options)
{
    // A postcard at 150 dots per inch, drawn as the printer would get it.
    constexpr double kDpi = 150;
    const print::DotScale scale{print::dotsPerMm(kDpi), print::dotsPerMm(kDpi)};
    QImage image(scale.dotsX(100), scale.dotsY(148), QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(kDpi / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(kDpi / 0.0254));
    image.fill(Qt::white);
    print::CardText card;
    print::loadTestCard(card);
    card[print::Slot::Frequency] = "7.050";
    card[print::Slot::Mode] = "SSB";
    card[print::Slot::Date] = "05/12/31";
    card[print::Slot::Time] = "21:05";
    card[print::Slot::Rst] = "59";
    card[print::Slot::Rig] = "IC-7300";
    card[print::Slot::Antenna] = "3ele YAGI";
    card[print::Slot::AdditionalInfo] = "E-Mail  jy8yyy@example.jp";
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    print::QtCardCanvas canvas(painter);
    print::drawPostcard(canvas, scale, card, 1, options);
    return image;
}

} // namespace vz::ui
