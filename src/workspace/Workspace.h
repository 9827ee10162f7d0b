#pragma once
// The work folder's values: folders, print settings, fonts, the current template and its
// layout. Start-up owns the one of the running program and hands it to the main window, which
// hands it to the dialogs it opens; each changes it in place for the concern it owns.

#include "base/LogFont.h"
#include "base/SettingsFiles.h"
#include "store/DataSourceRegistration.h"
#include "store/StoreLocation.h"
#include "store/UnansweredServers.h"
#include "template/TemplateLayout.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace dorvane {

struct Workspace {
    std::filesystem::path WorkFolder;    // current directory at start; base of Set/ and dataM/
    std::filesystem::path ProgramFolder; // the executable's folder
    std::filesystem::path DatabasePath;
    std::string DataSourceName = kDataSourceName;

    std::string PrinterName; // code-page bytes, as in set.ini
    std::int32_t PrintOffsetX = 0;
    std::int32_t PrintOffsetY = 0;
    std::int32_t TextSpacingX = 0;
    std::int32_t TextSpacingY = 0;

    LogFont BodyFont; // heights in screen pixels
    LogFont DestinationFont;
    bool ShrinkCutText = false;            // overflow.ini: print cut texts smaller without asking
    bool ClearRecipientAfterPrint = false; // afterprint.ini: empty the recipient after each print

    std::string CurrentTemplate;  // file-system name of the template in use
    std::string TemplatePosition; // mould.ini line 1
    std::string ShowHelpFlag;     // mould.ini line 3

    TemplateLayout Layout;
    int PaperWidth = 0;
    int PaperLength = 0;
    double PrintScaleX = 0;
    double PrintScaleY = 0;

    // What this run learnt of servers that did not answer; shared with copies of the workspace.
    std::shared_ptr<UnansweredServers> UnansweredServerList = std::make_shared<UnansweredServers>();

    SettingsPaths settingsPaths() const { return SettingsPaths(WorkFolder); }

    // Where the address book and the print log are (Set/database.ini), as this run reaches them.
    StoreLocation addressBook() const
    {
        StoreLocation location = AddressBookLocation(WorkFolder);
        location.unanswered = UnansweredServerList;
        return location;
    }

    // Loads (or creates with their defaults) FontSet.ini and set.ini of WorkFolder, creating
    // Set/ when it is missing.
    void loadPrintSettings();

    // Reads the layout file of CurrentTemplate over Layout, then sets the scales, the paper
    // size and the print rectangles. False when the file cannot be opened (nothing changed).
    bool loadCurrentLayout();
    PrintSettings printSettings() const;
    void setPrintSettings(const PrintSettings& settings);
};

} // namespace dorvane
