#pragma once

#include <QByteArray>

class SettingsView;

// What the run remembers about playing: the preferred line, the click mode, the line bases and the
// base the last choice selected. Memory only; it starts empty with every run.
class CloudPlayState final {
public:
    // The built-in base of line 1 or 2, joined from its two pieces; empty for any other line.
    static QByteArray builtInBase(int line);
    // The product server's counter page of a chosen line.
    static QByteArray counterPage(int line);

    const QByteArray& rememberedLine() const { return m_rememberedLine; } // "", "1" or "2"
    bool singleClickPlay() const { return m_singleClickPlay; }
    const QByteArray& lineBase(int line) const { return line == 1 ? m_line1Base : m_line2Base; }
    const QByteArray& currentPlayBase() const { return m_currentPlayBase; }

    void setSingleClickPlay(bool on) { m_singleClickPlay = on; }
    // Remembers line 1 or 2 and makes its built-in base the current one.
    void rememberLine(int line);
    void forgetLine() { m_rememberedLine.clear(); }

    // With a remembered line: that line's built-in base becomes current (remote lines are not
    // consulted) and the play address is returned. Without one: false, nothing changes.
    bool directPlay(const QByteArray& rowAddress, QByteArray* playAddress);

    // A line chosen in the selection window. Remote lines in force: the line's remote
    // base becomes current when it is set, otherwise the current base stays as it was. Otherwise both
    // built-in bases are joined and the chosen one becomes current. Returns the play address.
    QByteArray chooseLine(int line, const SettingsView& settings, const QByteArray& rowAddress);

    void reset() { *this = CloudPlayState(); }

private:
    void joinBase(int line);

    QByteArray m_rememberedLine;
    bool m_singleClickPlay = false;
    QByteArray m_line1Base;
    QByteArray m_line2Base;
    QByteArray m_currentPlayBase;
};

// The run's state.
CloudPlayState& CloudPlay();
