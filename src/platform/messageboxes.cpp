#include "platform/messageboxes.h"

#include "platform/testhooks.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <memory>

namespace {

// A message box that places itself on the centre of its owner's screen once it knows its size (it
// lays itself out as it is shown), before it appears.
class ScreenCentredBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
};

QString& applicationTitle()
{
    static QString title;
    return title;
}

MessageBoxes::Answer ask(QWidget* owner, const MessageBoxes::Request& request)
{
    if (testHooks().answerMessageBox)
        return testHooks().answerMessageBox(request);

    using MessageBoxes::Answer;
    using MessageBoxes::Kind;
    std::unique_ptr<QMessageBox> made =
        request.onScreenCentre ? std::make_unique<ScreenCentredBox>(owner) : std::make_unique<QMessageBox>(owner);
    QMessageBox& box = *made;
    box.setWindowTitle(request.caption);
    box.setTextFormat(Qt::PlainText); // never guessed: a text may hold what the network sent
    box.setText(request.text);
    switch (request.kind) {
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Confirm:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Kind::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace

namespace MessageBoxes {

void setApplicationTitle(const QString& title)
{
    applicationTitle() = title;
}

void inform(QWidget* owner, const QString& text)
{
    ask(owner, {Kind::Plain, applicationTitle(), text});
}

void informOnScreenCentre(QWidget* owner, const QString& text)
{
    ask(owner, {Kind::Plain, applicationTitle(), text, true});
}

void error(QWidget* owner, const QString& text)
{
    ask(owner, {Kind::Error, applicationTitle(), text});
}

bool confirm(QWidget* owner, const QString& text, const QString& caption)
{
    return ask(owner, {Kind::Confirm, caption, text}) == Answer::Ok;
}

bool askYesNo(QWidget* owner, const QString& text, const QString& caption)
{
    return ask(owner, {Kind::YesNo, caption, text}) == Answer::Yes;
}

} // namespace MessageBoxes
