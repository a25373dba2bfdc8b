#pragma once
// The modal yes/no window: shows the question it was opened with and leaves "DA" (yes) or
// "NE" (no) in the message object's StringParm when one of its two buttons closes it.

#include <QDialog>

class QGroupBox;
class QPushButton;
class QTextEdit;
class application;

class w_da_ne : public QDialog {
    Q_OBJECT
public:
    // Takes the question from app.message->StringParm.
    explicit w_da_ne(application& app, QWidget* parent = nullptr);

    void cb_ne_clicked();
    void cb_da_clicked();

    // The buttons are the only ways out: Escape and the window system's close do nothing.
    void reject() override;

    // Controls, in creation order.
    QPushButton* cb_ne = nullptr;
    QPushButton* cb_da = nullptr;
    QTextEdit* mle_tekst = nullptr;
    QGroupBox* gb_1 = nullptr;

private:
    void close_with(const QString& answer, int result);

    application& app;
};
