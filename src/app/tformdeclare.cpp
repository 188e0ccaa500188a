#include "app/tformdeclare.h"

#include "app/mainwindowopener.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/registry.h"
#include "services/centreonscreen.h"
#include "services/lifecycle.h"
#include "services/sites.h"
#include "ui_tformdeclare.h"

#include <QCloseEvent>
#include <QFile>

namespace {
// Counted down by TmrAgreea; one value for the whole run, never reset, so after the first
// countdown every new tick of the box enables the button at the next timer tick.
int g_declarationCountdown = 1;

// Where the acceptance is recorded, and the one value that counts as accepted. Writing
// HKEY_LOCAL_MACHINE needs administrator rights on Windows: an ordinary user's acceptance goes to the
// same key under HKEY_CURRENT_USER, and a record in either counts.
const QString kAcceptanceKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\qorvex");
const QString kUserAcceptanceKey = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\qorvex");
const QString kAcceptanceValueName = QStringLiteral("Agreement");
const QString kAcceptedVersion = QStringLiteral("1.0.0");
} // namespace

TFormDeclare::TFormDeclare(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::TFormDeclare>())
{
    Q_INIT_RESOURCE(shell);
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setFixedSize(586, 652);
    centreOnPrimaryScreen(this);
    setWindowIcon(QIcon(QStringLiteral(":/shell/quvo.png")));
    m_ui->mmoAgreea->setPlainText(declarationText());

    TmrAgreea.setInterval(1000);
    TmrAutoLogin.setInterval(500);
    TmrAutoLogin.setSingleShot(true);
    connect(m_ui->chkagreea, &QCheckBox::clicked, this, &TFormDeclare::chkagreeaClick);
    connect(&TmrAgreea, &QTimer::timeout, this, &TFormDeclare::TmrAgreeaTimer);
    connect(m_ui->btnagreea, &QPushButton::clicked, this, &TFormDeclare::btnagreeaClick);
    connect(m_ui->btnDisAgreea, &QPushButton::clicked, this, &TFormDeclare::btnDisAgreeaClick);
    connect(&TmrAutoLogin, &QTimer::timeout, this, &TFormDeclare::TmrAutoLoginTimer);

    if (acceptedEarlier())
        TmrAutoLogin.start();
    else
        show();
}

TFormDeclare::~TFormDeclare() = default;

QString TFormDeclare::declarationText()
{
    Q_INIT_RESOURCE(shell);
    QFile file(QStringLiteral(":/shell/declaration.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("{contact}"), Sites::contactAddress());
    text.replace(QStringLiteral("{microblog}"), Sites::microblogAddress());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

bool TFormDeclare::acceptedEarlier()
{
    // The key is created when missing; whether that works does not matter here, since any
    // failure simply means the declaration is shown.
    Registry::createKey(kAcceptanceKey);
    for (const QString& key : {kAcceptanceKey, kUserAcceptanceKey}) {
        bool found = false;
        const QString stored = Registry::readString(key, kAcceptanceValueName, &found);
        if (found && stored == kAcceptedVersion)
            return true;
    }
    return false;
}

void TFormDeclare::chkagreeaClick()
{
    m_ui->btnagreea->setText(QStringLiteral("我同意"));
    if (m_ui->chkagreea->isChecked()) {
        TmrAgreea.start();
    } else {
        TmrAgreea.stop();
        m_ui->btnagreea->setEnabled(false);
    }
}

void TFormDeclare::TmrAgreeaTimer()
{
    --g_declarationCountdown;
    m_ui->btnagreea->setText(QStringLiteral("我同意(%1)").arg(g_declarationCountdown));
    if (g_declarationCountdown <= 0) {
        m_ui->btnagreea->setText(QStringLiteral("我同意"));
        TmrAgreea.stop();
        m_ui->btnagreea->setEnabled(true);
    }
}

void TFormDeclare::btnagreeaClick()
{
#ifdef Q_OS_WIN
    const bool recorded = Registry::writeString(kAcceptanceKey, kAcceptanceValueName, kAcceptedVersion) ||
                          Registry::writeString(kUserAcceptanceKey, kAcceptanceValueName, kAcceptedVersion);
    if (recorded) {
        TmrAutoLogin.start();
        return;
    }
    // Neither key could be written: the boxes below say which step failed.
#endif
    if (!Registry::createKey(kAcceptanceKey)) {
        MessageBoxes::error(this, QStringLiteral("Failed to create key %1").arg(QStringLiteral("qorvex")));
        return;
    }
    if (!Registry::writeString(kAcceptanceKey, kAcceptanceValueName, kAcceptedVersion)) {
        MessageBoxes::error(this, QStringLiteral("Failed to set data for '%1'").arg(kAcceptanceValueName));
        return;
    }
    // A second click within the half second restarts the timer: still one main window.
    TmrAutoLogin.start();
}

void TFormDeclare::btnDisAgreeaClick()
{
    endProgram();
}

void TFormDeclare::TmrAutoLoginTimer()
{
    TmrAutoLogin.stop();
    openMainWindow();
}

void TFormDeclare::closeEvent(QCloseEvent* event)
{
    // The declaration is the program's only window while it shows: closing it ends the program.
    event->accept();
    endProgram();
}
