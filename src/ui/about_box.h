// The About box (TAboutBox).
#pragma once

#include <QDialog>

namespace vantor {

class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);
};

} // namespace vantor
