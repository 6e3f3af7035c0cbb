#pragma once

#include "ui_IncrementDialog.h"

#include <QDialog>

// The rename dialog. Its layout texts (caption, label, edit) are replaced
// before each showing; one instance is created at start-up and reused.
class TIncrementForm : public QDialog, private Ui::TIncrementForm
{
    Q_OBJECT

public:
    explicit TIncrementForm(QWidget* parent = nullptr);

    using Ui::TIncrementForm::leIncValue;
    using Ui::TIncrementForm::lblIncValue;
    using Ui::TIncrementForm::cmdOK;
    using Ui::TIncrementForm::cmdCancel;

    // Event handlers of the edit, public so tests reach them as the edit does.
    void leIncValueKeyPress(char& key);
    void leIncValueClick();
    void leIncValueKeyDown(int& key);
    void leIncValueKeyUp(int& key);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ConnectControls();
};

extern TIncrementForm* IncrementForm;
