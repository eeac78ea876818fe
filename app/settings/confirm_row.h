#pragma once

#include <QBoxLayout>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace fotarel::app {

// The bottom row of a settings window whose choices take effect as they are
// made: one "确定" at the right that closes the window (Enter presses it).
inline QPushButton* addConfirmRow(QDialog* dialog, QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定"), dialog);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    row->addWidget(ok);
    layout->addLayout(row);
    return ok;
}

} // namespace fotarel::app
