#pragma once

#include <QButtonGroup>
#include <QByteArray>
#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TFormSelCloud;
}

// The line selection window: pick line 1 or line 2 to play the row that was selected when the
// window was created, remember a line for later plays, and choose single- or double-click play.
// It deletes itself when closed.
class TFormSelCloud final : public QDialog {
    Q_OBJECT
public:
    // The address of the row selected in the list the window plays from, asked at creation and
    // again when a line is chosen; nothing when no row is selected.
    using SelectedAddress = std::function<std::optional<QByteArray>()>;
    // Counts a play on a line: the counter page's path on the product server.
    using CountUse = std::function<void(const QByteArray& path)>;

    TFormSelCloud(SelectedAddress selectedAddress, CountUse countUse, QWidget* parent = nullptr);
    ~TFormSelCloud() override;

    // The address of the row selected in the list at creation; empty when none was.
    const QByteArray& windowRowAddress() const { return m_windowRowAddress; }
    int RgClickItemIndex() const { return m_rgClick.checkedId(); }

    void chooseLine(int line); // a click on the line's picture or on either of its labels
    void chkSelLoveLinesClick(int line);
    void RgClickClick();
    void BtnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TFormSelCloud> m_ui;
    SelectedAddress m_selectedAddress;
    CountUse m_countUse;
    QButtonGroup m_rgClick;
    QByteArray m_windowRowAddress;
};
