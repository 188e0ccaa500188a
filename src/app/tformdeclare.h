#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class TFormDeclare;
}

// The usage declaration. Created hidden as the first window of the program: when the declaration
// was accepted in an earlier run it opens the main window after half a second without showing
// itself; otherwise it shows the text and waits for "我同意" (enabled one countdown tick after the
// box is ticked) or "我反对".
class TFormDeclare final : public QWidget {
    Q_OBJECT
public:
    explicit TFormDeclare(QWidget* parent = nullptr);
    ~TFormDeclare() override;

    void chkagreeaClick();
    void TmrAgreeaTimer();
    void btnagreeaClick();
    void btnDisAgreeaClick();
    void TmrAutoLoginTimer();

    // The declaration text with the contact and microblog addresses filled in.
    static QString declarationText();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static bool acceptedEarlier();

    std::unique_ptr<Ui::TFormDeclare> m_ui;
    QTimer TmrAgreea;    // countdown before "我同意" is enabled, 1000 ms
    QTimer TmrAutoLogin; // opens the main window, once, 500 ms
};
