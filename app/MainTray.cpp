// The window put away into the tray and brought back, the tray menu's web and exit items, the help and
// web-site commands of the title band, and the two option tick boxes.
#include "app/Main.h"

#include "app/HelpAndWeb.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>

namespace murmex {

QStringList MainServices::DefaultHelpFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{QDir::currentPath(), programFolder};
    // An installed tree moved elsewhere as a whole still finds its data beside its program folder.
    if (!programFolder.isEmpty())
        folders << QDir::cleanPath(programFolder + QStringLiteral("/../share/murmex"));
    folders << QStringLiteral(MURMEX_DATA_DIR);
    return folders;
}

void TfmMain::ConnectTrayAndOptions() {
    using ui::TLMDLImage;
    Handle(Sb_Min, &TLMDLImage::Click, &TfmMain::Sb_MinClick);
    Handle(Sb_Help, &TLMDLImage::Click, &TfmMain::Sb_HelpClick);
    Handle(Sb_Internet, &TLMDLImage::Click, &TfmMain::Sb_InternetClick);
    Handle(TrayIcon, &ui::TLMDTrayIcon::DblClick, &TfmMain::TrayIconDblClick);
    Handle(TrayMenu_3, &QAction::triggered, &TfmMain::TrayMenu_3Click);
    Handle(TrayMenu_4, &QAction::triggered, &TfmMain::TrayMenu_4Click);
    Handle(Cb_HintShow, &TLMDLImage::Click, &TfmMain::Cb_HintShowClick);
    Handle(Lbl_HintShow, &ui::TLMDLabelFill::Click, &TfmMain::Cb_HintShowClick);
    Handle(Cb_Min_FormShow, &TLMDLImage::Click, &TfmMain::Cb_Min_FormShowClick);
    Handle(Lbl_Min_FormShow, &ui::TLMDLabelFill::Click, &TfmMain::Cb_Min_FormShowClick);
}

// Without a notification area the icon would be the only way back and nobody could see it, so the window
// goes to the taskbar instead. The tray is asked each time: a panel may have come or gone since the start.
void TfmMain::Sb_MinClick() {
    if (!m_services.trayAvailable()) {
        showMinimized();
        return;
    }
    TrayIcon->SetActive(true);
    // A hidden window has no taskbar entry: hiding it takes the entry away as well.
    hide();
}

// Showing the window runs the show sequence: top centre, texts, first settings page.
void TfmMain::TrayIconDblClick() {
    show();
    // As at start-up: without a window manager a window never becomes active by itself.
    activateWindow();
    raise();
    TrayIcon->SetActive(false);
}

void TfmMain::AnotherCopyStarted() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    TrayIconDblClick();
}

void TfmMain::TrayMenu_3Click() {
    Sb_InternetClick();
}

// The normal close: the settings are written at the end as on any other.
void TfmMain::TrayMenu_4Click() {
    close();
}

// The file is handed over by its full path, so that the desktop finds it whatever folder it starts in.
void TfmMain::Sb_HelpClick() {
    const std::optional<QString> name = HelpFileName(Lang_Num);
    if (!name)
        return;
    if (const std::optional<QString> path = FindHelpFile(*name, m_services.helpFolders()))
        m_services.openUrl(QUrl::fromLocalFile(*path));
}

void TfmMain::Sb_InternetClick() {
    if (const std::optional<QUrl> page = WebPage(Lang_Num))
        m_services.openUrl(*page);
}

void TfmMain::Cb_HintShowClick() {
    HintShow = !HintShow;
    ApplyHintShow();
    UpdateOptionMarks();
}

// Takes effect at the next start.
void TfmMain::Cb_Min_FormShowClick() {
    Min_FormShow = !Min_FormShow;
    UpdateOptionMarks();
}

// A menu shows its items' hints only when told to, so the tray menu is switched with the rest.
void TfmMain::ApplyHintShow() {
    LMDShapeHint1->SetHintsShown(HintShow);
    Menu_Tray->setToolTipsVisible(HintShow);
}

} // namespace murmex
