#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct RemoteConfiguration;

// The read-only view every reader of the settings record asks: the record keeps the raw GBK values
// (lower-cased, empty until the document has been read), the view says what they mean. A value
// counts as set when it is neither empty nor "0".
class SettingsView final {
public:
    // A switch and its paired address: a switch not set means the reader's built-in page, a set one
    // the address, and nothing at all when that address is not set either.
    struct Switched {
        enum class Source { BuiltIn, Address, Nothing };
        Source source = Source::BuiltIn;
        QString address; // the paired address, for Source::Address only
        // What the reader opens: `builtInPage`, the address, or "" for nothing.
        QString pageOr(const QString& builtInPage) const;
    };
    // A decimal value: `set` as above; `value` the non-negative decimal number, nothing for an
    // empty or malformed text ("0" is set = false, value = 0).
    struct Decimal {
        bool set = false;
        std::optional<int> value;
    };

    explicit SettingsView(const RemoteConfiguration& record);
    SettingsView(); // the program-wide record

    static Switched switchedAddress(const QByteArray& switchValue, const QByteArray& address);

    // --- version check and update window ---
    const QByteArray& announcedVersion() const; // empty: the document announces none
    bool forcedUpdate() const;
    // "0" exactly: the update is voluntary and says so (an empty flag is voluntary but silent).
    bool updateMarkedVoluntary() const;
    // Mirror download page 1..3; nothing when it is not set.
    std::optional<QString> mirrorPage(int number) const;

    // --- search site mirrors ---
    // The roots named by SearchSites, in order: split at "|", white space around each dropped, empty
    // and "0" entries left out. Whether a root is a usable address is for the search to decide.
    QList<QByteArray> searchMirrors() const;

    // --- applying ---
    // The word for the keyword box; nothing for "0" (leave the box alone), "" empties it.
    std::optional<QString> keywordBoxWord() const;

    // --- advertisement strip ---
    bool advertisementOn() const;
    QString advertisementPage() const; // unchanged, whatever the switch
    Decimal advertisementHeight() const;
    Decimal advertisementShowtime() const;

    // --- pages behind the buttons ---
    Switched feedbackPage() const;
    Switched microblogPage() const;
    Switched tvPage() const;
    Switched mvPage() const;
    Switched musicPage() const;

    // --- play lines (a rule of their own) ---
    bool remoteLinesInForce() const;
    // The remote base of line 1 or 2; nothing when it is not set.
    std::optional<QByteArray> remoteLineBase(int line) const;

private:
    const RemoteConfiguration& m_record;
};
