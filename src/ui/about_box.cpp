#include "about_box.h"

#include "program_icon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor {

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setAccessibleName(windowTitle());

    auto *icon = new QLabel;
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    icon->setAccessibleName(QStringLiteral("Program icon"));
    auto *product = new QLabel(QStringLiteral("Vantor"));
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    product->setFont(bold);
    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    for (const char *line :
         {"for K10/K20/K30", "FM Analyzer", "Version 1.11", "Copyright (c) the Vantor developers",
          "Unattended FM transmitter monitoring",
          "Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later)"}) {
        auto *label = new QLabel(QLatin1String(line));
        label->setAccessibleName(label->text());
        texts->addWidget(label);
    }
    product->setAccessibleName(product->text());
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace vantor
