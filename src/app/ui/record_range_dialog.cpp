// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/record_range_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace vz::ui {

RecordRangeDialog::RecordRangeDialog(app::AppState &state, UiServices &services, std::int32_t last,
                                     QWidget *parent)
    : VezoDialog({state.settings.flatWindow, state.settings.keyClick}, services, parent),
      m_state(state), m_from(new QSpinBox(this)), m_to(new QSpinBox(this))
{
    setObjectName(QStringLiteral("RecordRangeDialog"));
    setTitle(QStringLiteral("ADIF出力"));
    setFixedSize(193, 176);
    const int lastNumber = static_cast<int>(std::max<std::int32_t>(last, 1));
    auto *explanation =
        new QLabel(QStringLiteral("書き出す交信の番号\n(1～%1)").arg(lastNumber), this);
    explanation->setGeometry(25, 44, 150, 34);
    auto *fromLabel = new QLabel(QStringLiteral("最初"), this);
    fromLabel->setGeometry(25, 86, 40, 20);
    m_from->setObjectName(QStringLiteral("fromBox"));
    m_from->setGeometry(70, 86, 96, 20);
    auto *toLabel = new QLabel(QStringLiteral("最後"), this);
    toLabel->setGeometry(25, 112, 40, 20);
    m_to->setObjectName(QStringLiteral("toBox"));
    m_to->setGeometry(70, 112, 96, 20);
    m_from->setRange(1, lastNumber);
    m_to->setRange(1, lastNumber);
    m_from->setValue(1);
    m_to->setValue(lastNumber);
    // The range never runs backwards: each end holds the other back.
    connect(m_from, &QSpinBox::valueChanged, m_to, [this](int v) { m_to->setMinimum(v); });
    connect(m_to, &QSpinBox::valueChanged, m_from, [this](int v) { m_from->setMaximum(v); });

    QPushButton *cancel = makeDialogButton(this, QStringLiteral("cancelButton"),
                                           QStringLiteral("中止"), smallButtonAt(25, 144));
    QPushButton *ok = makeDialogButton(this, QStringLiteral("exportButton"), QStringLiteral("出力"),
                                       smallButtonAt(111, 144));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    adoptChildren();
}

std::int32_t RecordRangeDialog::from() const
{
    return m_from->value();
}

std::int32_t RecordRangeDialog::to() const
{
    return m_to->value();
}

} // namespace vz::ui
