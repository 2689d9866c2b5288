// SPDX-License-Identifier: GPL-3.0-or-later
#include "traycontroller.h"

#include "applog.h"
#include "codepages/codepageregistry.h"
#include "dialogs/aboutwindow.h"
#include "dialogs/settingsdialog.h"
#include "panel/characterpanel.h"
#include "panel/framedpanel.h"
#include "platform/services.h"
#include "settingswriter.h"
#include "site.h"
#include "storedsettings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {

const QString iconResource = QStringLiteral(":/ondrel_icon.png");
const QColor defaultBackgroundColor(229, 230, 230);
constexpr int balloonMilliseconds = 10000;
// How long the start-up balloon waits for the tray to give the icon its place.
constexpr int balloonWaitSteps = 30;
constexpr int balloonWaitStepMilliseconds = 100;

/// A tray icon that the tray host has not embedded yet sits at the desktop's origin,
/// and a balloon shown for it would point at that corner.
bool isPlacedInTray(const QSystemTrayIcon &icon)
{
    const QRect place = icon.geometry();
    return place.isValid() && !place.topLeft().isNull();
}

// Editors write a file in several steps; the pages are read again once they are done.
constexpr int pagesSettleMilliseconds = 300;

QList<SettingsDialog::OwnPage> ownPageEntries(const std::vector<ownpages::Page> &pages)
{
    QList<SettingsDialog::OwnPage> entries;
    for (const ownpages::Page &page : pages)
        entries.append({page.fileName, page.name});
    return entries;
}

std::string executablePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString();
}

void bringForward(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

TrayController::TrayController(platform::Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    QApplication::setWindowIcon(QIcon(iconResource));
    QApplication::setQuitOnLastWindowClosed(false);

    m_settings = new QSettings(storedsettings::organization, storedsettings::application, this);
    m_settingsWriter = new SettingsWriter(
        *m_settings, [this](QSettings &settings) { writeSettings(settings); }, this);
    connect(m_settingsWriter, &SettingsWriter::saveFailed, this, &TrayController::onSaveFailed);
    connect(m_services.showHideKey.get(), &platform::ShowHideKey::pressed, this,
            &TrayController::togglePanel);

    createPanel();
    createTrayIcon();
    startShowHideKey();
    m_hotkeys = hotkeys::buildHotkeyList();
    selectInitialHotkey();

    // Shown once its tooltip names the key, so that the tray gets the icon whole, once.
    m_trayIcon->show();
    // Qt shows the icon as soon as a tray starts, and again after a tray restarts.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qCWarning(lcApp) << "No system tray is there yet; Ondrel's icon appears when one starts."
                         << "Meanwhile the show/hide key works, `ondrel --settings` opens the"
                         << "settings and `ondrel --quit` ends Ondrel.";
    if (!m_services.notice.empty())
        qCWarning(lcApp).noquote() << QString::fromStdString(m_services.notice);
    else if (!m_services.keyboard->isAvailable())
        qCWarning(lcApp).noquote()
            << "Clicks cannot type:" << QString::fromStdString(m_services.keyboard->errorString());
    showStartupBalloon(balloonWaitSteps);

    m_services.termination->start([this] { quitInOrder(); });
}

TrayController::~TrayController()
{
    m_services.showHideKey->stop();
    m_settingsWriter->saveNow();
    delete m_settingsDialog;
    delete m_aboutWindow;
    m_window.reset(); // takes the tray icon and its menu with it
}

void TrayController::createPanel()
{
    auto panel = std::make_unique<CharacterPanel>();
    m_panel = panel.get();
    if (m_services.panelWindow->drawsOwnDecorations()) {
        m_panel->setToolTipsShown(false);
        m_framedPanel = new FramedPanel(panel.release());
        m_window.reset(m_framedPanel);
        connect(m_framedPanel, &FramedPanel::closeRequested, this, &TrayController::hidePanel);
        connect(m_framedPanel, &FramedPanel::dragStarted, this, &TrayController::onDragStarted);
        connect(m_framedPanel, &FramedPanel::dragged, this, &TrayController::onDragged);
    } else {
        m_window = std::move(panel);
    }
    m_pagesWatcher = new QFileSystemWatcher(this);
    m_pagesChangeTimer = new QTimer(this);
    m_pagesChangeTimer->setSingleShot(true);
    m_pagesChangeTimer->setInterval(pagesSettleMilliseconds);
    connect(m_pagesChangeTimer, &QTimer::timeout, this, &TrayController::rereadOwnPages);
    connect(m_pagesWatcher, &QFileSystemWatcher::directoryChanged, m_pagesChangeTimer,
            qOverload<>(&QTimer::start));
    connect(m_pagesWatcher, &QFileSystemWatcher::fileChanged, m_pagesChangeTimer,
            qOverload<>(&QTimer::start));
    m_ownPages = ownpages::readFolder(ownpages::folder());
    watchPagesFolder();
    m_page = storedsettings::readPage(*m_settings);
    applyPage();
    m_panel->setBackgroundColor(
        storedsettings::readBackgroundColor(*m_settings, defaultBackgroundColor));
    m_panel->setLabelSize(storedsettings::readLabelSize(*m_settings, m_panel->maxLabelSize()));
    m_panel->setLabelSpacing(storedsettings::readSpacing(*m_settings, m_panel->minSpacing()));
    if (!m_services.panelWindow->adopt(*m_window))
        qCWarning(lcApp) << "The panel cannot float above the other windows here";
    connect(m_panel, &CharacterPanel::characterActivated, this,
            &TrayController::onCharacterActivated);
    connect(m_panel, &CharacterPanel::backspaceActivated, this,
            &TrayController::onBackspaceActivated);
}

void TrayController::applyPage()
{
    for (const ownpages::Page &page : m_ownPages) {
        if (page.fileName == m_page) {
            m_panel->setCharacters(page.name, page.characters);
            return;
        }
    }
    if (const codepages::CharacterPage *page =
            codepages::findCharacterPage(m_page.toUtf8().constData())) {
        m_panel->setCharacters(QString::fromLatin1(page->displayName),
                               std::u32string(page->characters.begin(), page->characters.end()));
        return;
    }
    bool isNumber = false;
    const int number = m_page.toInt(&isNumber);
    if (!isNumber) {
        qCWarning(lcApp).noquote() << "The chosen page" << m_page
                                   << "is not in the pages folder, or no longer reads; the panel"
                                   << "shows the system's code page";
        m_page = QStringLiteral("0");
    }
    m_panel->setCodePage(number ? number : static_cast<int>(m_services.codePage->oemCodePage()));
}

void TrayController::watchPagesFolder()
{
    const QString folder = ownpages::folder();
    if (!QFileInfo::exists(folder))
        return; // the button that opens it makes it, and then it is watched
    QStringList paths{folder};
    for (const ownpages::Page &page : m_ownPages)
        paths << folder + QLatin1Char('/') + page.fileName;
    // Files already watched are refused again, quietly for what matters here.
    const QStringList watched = m_pagesWatcher->files() + m_pagesWatcher->directories();
    for (const QString &path : paths) {
        if (!watched.contains(path))
            m_pagesWatcher->addPath(path);
    }
}

void TrayController::rereadOwnPages()
{
    m_ownPages = ownpages::readFolder(ownpages::folder());
    watchPagesFolder();
    // The page shown may have been edited, or be gone.
    if (ownpages::isPageFileName(m_page))
        applyPage();
    if (m_settingsDialog)
        m_settingsDialog->setOwnPages(ownPageEntries(m_ownPages), m_page);
}

void TrayController::openPagesFolder()
{
    const QString folder = ownpages::folder();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcApp).noquote() << "Cannot make the pages folder" << folder;
        return;
    }
    watchPagesFolder();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        qCWarning(lcApp).noquote() << "No file manager could open" << folder;
}

void TrayController::createTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(QIcon(iconResource), m_window.get());
    auto *menu = new QMenu(m_window.get());
    m_showHideAction = menu->addAction(tr("Show/Hide Ondrel"), this, &TrayController::togglePanel);
    menu->addAction(tr("Settings"), this, &TrayController::openSettings);
    menu->addAction(tr("Help"), this, &TrayController::openHelp);
    menu->addAction(tr("About"), this, &TrayController::openAbout);
    // The event loop's end runs the destructor, which removes the hook before it
    // writes the settings.
    menu->addAction(tr("Quit"), this, &TrayController::quitInOrder);
    m_trayIcon->setContextMenu(menu);
    if (m_framedPanel)
        m_framedPanel->setMenuActions(menu->actions());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TrayController::onTrayActivated);
}

void TrayController::startShowHideKey()
{
    m_showHideKeyWorks = m_services.showHideKey->start();
    if (!m_showHideKeyWorks)
        qCWarning(lcApp).noquote() << "The show/hide key is off:"
                                   << QString::fromStdString(m_services.showHideKey->errorString());
}

void TrayController::selectInitialHotkey()
{
    const QString storedName =
        storedsettings::readShowHideKeyName(*m_settings, hotkeys::defaultHotkeyName);
    // A name that matches no key can only come from an edited settings file; the
    // default keeps a current key for the tooltip, the hook messages and saving.
    const HotkeyEntry *entry = hotkeys::findByName(m_hotkeys, storedName);
    if (!entry)
        entry = hotkeys::findByName(m_hotkeys, hotkeys::defaultHotkeyName);
    selectHotkey(*entry);
}

bool TrayController::setShowHideKey(const QString &name)
{
    const HotkeyEntry *entry = hotkeys::findByName(m_hotkeys, name);
    if (!entry)
        return false;
    selectHotkey(*entry);
    return true;
}

void TrayController::selectHotkey(const HotkeyEntry &entry)
{
    m_currentHotkey = &entry;
    m_services.showHideKey->setFunctionKey(entry.number);
    m_trayIcon->setToolTip(trayText());
    if (m_showHideKeyWorks)
        m_showHideAction->setShortcut(QKeySequence(entry.qtKey));
}

QString TrayController::trayText() const
{
    if (!m_showHideKeyWorks)
        return tr("Ondrel");
    //: The tray icon's tooltip: the program and its show/hide key.
    return tr("Ondrel (<%1>)").arg(m_currentHotkey->name);
}

void TrayController::showStartupBalloon(int waitStepsLeft)
{
    // Embedding in an XEmbed tray happens after the icon is shown, so the balloon
    // waits briefly for it; where the tray never answers it is shown all the same.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return; // nothing to point at; the log says what there is to know
    if (waitStepsLeft > 0 && !isPlacedInTray(*m_trayIcon)) {
        QTimer::singleShot(balloonWaitStepMilliseconds, this,
                           [this, waitStepsLeft] { showStartupBalloon(waitStepsLeft - 1); });
        return;
    }
    if (!m_services.notice.empty()) {
        m_trayIcon->showMessage(trayText(), QString::fromStdString(m_services.notice),
                                QSystemTrayIcon::Warning, balloonMilliseconds);
        return;
    }
    if (!m_services.keyboard->isAvailable()) {
        m_trayIcon->showMessage(
            trayText(),
            tr("Clicks on the panel cannot type here: %1.")
                .arg(QString::fromStdString(m_services.keyboard->errorString())),
            QSystemTrayIcon::Warning, balloonMilliseconds);
        return;
    }
    m_trayIcon->showMessage(QString(), trayText(), QSystemTrayIcon::Information,
                            balloonMilliseconds);
}

void TrayController::carryOut(const instancemessage::Message &message)
{
    switch (message.command) {
    case instancemessage::Command::Type:
        typeText(message.text);
        break;
    case instancemessage::Command::Show:
        showPanel();
        break;
    case instancemessage::Command::Toggle:
        togglePanel();
        break;
    case instancemessage::Command::Hide:
        hidePanel();
        break;
    case instancemessage::Command::Settings:
        openSettings();
        break;
    case instancemessage::Command::Quit:
        quitInOrder();
        break;
    }
}

void TrayController::togglePanel()
{
    if (m_window->isVisible())
        hidePanel();
    else
        showPanel();
}

void TrayController::showPanel()
{
    // The first show places the panel on the screen the user works on, where the
    // pointer is; later ones keep where the user put it, unless that screen is gone.
    const QRect placed(m_services.panelWindow->position(*m_window), m_window->frameSize());
    if (!m_panelPlaced || !QGuiApplication::screenAt(placed.center())) {
        // A frame's layout has not sized it yet while it was never shown.
        if (m_framedPanel)
            m_framedPanel->adjustSize();
        const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect();
        m_services.panelWindow->place(
            *m_window, area.topLeft() + QPoint((area.width() - m_window->frameSize().width()) / 2,
                                               area.height() / 2));
        m_panelPlaced = true;
    }
    m_window->show();
}

void TrayController::hidePanel()
{
    m_window->hide();
}

void TrayController::onDragStarted(QPoint position)
{
    m_dragOrigin = m_services.panelWindow->position(*m_window);
    m_dragPress = position;
}

void TrayController::onDragged(QPoint position)
{
    // Both positions are the pointer's on the screen, so the panel follows it
    // however far it has moved since the press.
    m_services.panelWindow->place(*m_window, m_dragOrigin + position - m_dragPress);
}

QWidget *TrayController::dialogParent() const
{
    // A dialog is normally kept above the panel; a frameless panel is no window the
    // compositor could keep a dialog above.
    return m_framedPanel ? nullptr : m_window.get();
}

void TrayController::showPanelIfHidden()
{
    // A change to a hidden panel would go unseen; show it where it was last.
    if (m_window->isHidden())
        showPanel();
}

void TrayController::onTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        togglePanel();
    } else if (reason == QSystemTrayIcon::Context && m_framedPanel && m_services.trayMenuInPanel) {
        // A tray that shows no menus of its own: the panel offers the menu instead.
        showPanel();
        m_framedPanel->showMenu();
    }
}

void TrayController::onCharacterActivated(int, char32_t character)
{
    typeCharacter(character);
}

bool TrayController::typeCharacter(char32_t character)
{
    if (m_services.keyboard->type(character))
        return true;
    qCWarning(lcApp).noquote() << "Cannot type:"
                               << QString::fromStdString(m_services.keyboard->errorString());
    return false;
}

void TrayController::typeText(const std::u32string &text)
{
    for (const char32_t character : text) {
        // A character that did not arrive would make the rest a different text.
        if (!typeCharacter(character))
            return;
    }
}

void TrayController::onBackspaceActivated()
{
    if (!m_services.keyboard->typeBackspace())
        qCWarning(lcApp).noquote() << "Cannot type Backspace:"
                                   << QString::fromStdString(m_services.keyboard->errorString());
}

void TrayController::openSettings()
{
    // A folder made by hand since the start is not watched yet.
    rereadOwnPages();
    // Made once and kept: a later request shows the same dialog with its state.
    if (!m_settingsDialog) {
        SettingsDialog::Values values;
        values.labelSize = m_panel->labelSize();
        values.minLabelSize = m_panel->minLabelSize();
        values.maxLabelSize = m_panel->maxLabelSize();
        values.spacing = m_panel->labelSpacing();
        values.minSpacing = m_panel->minSpacing();
        values.maxSpacing = m_panel->maxSpacing();
        values.backgroundColor = m_panel->backgroundColor();
        for (const HotkeyEntry &entry : m_hotkeys)
            values.keyNames << entry.name;
        values.currentKey = m_currentHotkey ? m_currentHotkey->name : QString();
        values.keyWorks = m_showHideKeyWorks;
        values.autorun = m_services.autorun->isEnabled(executablePath());
        values.page = m_page;
        values.systemCodePage = static_cast<int>(m_services.codePage->oemCodePage());
        values.ownPages = ownPageEntries(m_ownPages);

        m_settingsDialog = new SettingsDialog(values, dialogParent());
        connect(m_settingsDialog, &SettingsDialog::labelSizeChanged, this,
                &TrayController::onLabelSizeChanged);
        connect(m_settingsDialog, &SettingsDialog::spacingChanged, this,
                &TrayController::onSpacingChanged);
        connect(m_settingsDialog, &SettingsDialog::backgroundColorChanged, this,
                &TrayController::onBackgroundColorChanged);
        connect(m_settingsDialog, &SettingsDialog::showHideKeyChanged, this,
                &TrayController::onShowHideKeyChosen);
        connect(m_settingsDialog, &SettingsDialog::autorunToggled, this,
                &TrayController::onAutorunToggled);
        connect(m_settingsDialog, &SettingsDialog::pageChanged, this,
                &TrayController::onPageChanged);
        connect(m_settingsDialog, &SettingsDialog::openPagesFolderRequested, this,
                &TrayController::openPagesFolder);
    }
    bringForward(*m_settingsDialog);
}

void TrayController::onLabelSizeChanged(int size)
{
    m_panel->setLabelSize(size);
    showPanelIfHidden();
    m_settingsWriter->scheduleSave();
}

void TrayController::onSpacingChanged(int spacing)
{
    m_panel->setLabelSpacing(spacing);
    showPanelIfHidden();
    m_settingsWriter->scheduleSave();
}

void TrayController::onBackgroundColorChanged(const QColor &color)
{
    m_panel->setBackgroundColor(color);
    showPanelIfHidden();
    m_settingsWriter->scheduleSave();
}

void TrayController::onPageChanged(const QString &page)
{
    m_page = page;
    applyPage();
    showPanelIfHidden();
    m_settingsWriter->scheduleSave();
}

void TrayController::onShowHideKeyChosen(const QString &name)
{
    if (setShowHideKey(name))
        m_settingsWriter->scheduleSave();
}

void TrayController::onSaveFailed(const QString &reason)
{
    // Once is enough: a folder that is read-only now stays so for the next change.
    if (m_saveFailureShown)
        return;
    m_saveFailureShown = true;
    m_trayIcon->showMessage(tr("Ondrel"), tr("Ondrel could not save its settings: %1").arg(reason),
                            QSystemTrayIcon::Warning, balloonMilliseconds);
}

void TrayController::onAutorunToggled(bool enabled)
{
    if (m_services.autorun->setEnabled(executablePath(), enabled))
        return;
    const QString reason = QString::fromStdString(m_services.autorun->errorString());
    qCWarning(lcApp).noquote() << "Starting with the desktop could not be"
                               << (enabled ? "switched on:" : "switched off:") << reason;
    m_settingsDialog->showAutorunFailure(m_services.autorun->isEnabled(executablePath()), reason);
}

void TrayController::openAbout()
{
    if (!m_aboutWindow)
        m_aboutWindow = new AboutWindow(site::address, dialogParent());
    bringForward(*m_aboutWindow);
}

void TrayController::openHelp()
{
    const QUrl help(site::address + site::helpPath);
    if (!QDesktopServices::openUrl(help))
        qCWarning(lcApp) << "No browser could open" << help.toString();
}

void TrayController::writeSettings(QSettings &settings) const
{
    storedsettings::writeBackgroundColor(settings, m_panel->backgroundColor());
    storedsettings::writeSizes(settings, m_panel->labelSize(), m_panel->labelSpacing());
    storedsettings::writeShowHideKeyName(settings, m_currentHotkey->name);
    storedsettings::writePage(settings, m_page);
}

void TrayController::quitInOrder()
{
    // The system may end the process soon after asking; the settings must already
    // be on disk by then, not only when the event loop has unwound. The key hook goes
    // first, as at every exit, so that nothing reaches a half-closed program.
    m_services.showHideKey->stop();
    m_settingsWriter->saveNow();
    QCoreApplication::quit();
}
