#pragma once

#include <QDialog>

namespace Ui {
class Pass;
}

// The admin password dialog in front of the firmware update and the
// terminal.
class Pass : public QDialog
{
    Q_OBJECT

public:
    explicit Pass(QWidget *parent = nullptr);
    ~Pass() override;

    // The password: two characters, compared exactly.
    static constexpr const char *Password = "qk";

public slots:
    // Closes as accepted on the right password; otherwise says so and
    // stays open for another try.
    void accept() override;

private:
    Ui::Pass *ui;
};
