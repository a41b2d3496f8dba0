// The menu bar and menus of the program. Item numbers count separators; the program's
// menu handlers address the items by these numbers.
#include "app/Templates.h"
#include "platform/Menus.h"

namespace {

const MenuItemTemplate kSeparator{"-"};

// A line of the keyboard reference in the View menu: shown, never chosen.
MenuItemTemplate Note(const char* text) { return MenuItemTemplate{text, 0, false}; }

void RegisterApplicationMenu() {
    RegisterMenuTemplate({128, "scopecam", {{"About scopecam..."}}});
}

void RegisterFileMenu() {
    RegisterMenuTemplate({129, "File", {
        {"Hide Window", 'W'},            // 1
        kSeparator,                      // 2
        {"Movie Folder..."},             // 3
        {"Movie File Names..."},         // 4
        {"Record Movie", 'R'},           // 5
        kSeparator,                      // 6
        {"Picture Folder..."},           // 7
        {"Picture File Names..."},       // 8
        {"Save Picture", 'S'},           // 9
        {"Batch Capture...", 'B'},       // 10
        {"Cancel Batch"},                // 11
        kSeparator,                      // 12
        {"Quit", 'Q'},                   // 13
    }});
}

// The program has nothing to edit; the menu is there, dimmed.
void RegisterEditMenu() {
    RegisterMenuTemplate({130, "Edit", {
        Note("Undo"), kSeparator, Note("Cut"), Note("Copy"), Note("Paste"), Note("Clear"),
    }});
}

void RegisterDebayerMenu() {
    RegisterMenuTemplate({131, "De-Bayer", {
        {"De-Bayer Frames", 'D'},          // 1
        kSeparator,                        // 2
        {"Pattern GR/BG"},                 // 3: sensor rows green-red, blue-green
        {"Pattern RG/GB"},                 // 4
        {"Pattern BG/GR"},                 // 5
        {"Pattern GB/RG"},                 // 6
        kSeparator,                        // 7
        {"Nearest Neighbour"},             // 8
        {"Bilinear"},                      // 9
        {"Laplacian Second Order"},        // 10
    }});
}

void RegisterMiscMenu() {
    RegisterMenuTemplate({132, "Misc", {
        {"Serial Ports..."},                        // 1
        kSeparator,                                 // 2
        {"Restore Long-Exposure Rectangle"},        // 3
        {"Clear Long-Exposure Rectangle"},          // 4
        {"Calibrate End Cutoffs"},                  // 5
        kSeparator,                                 // 6
        {"Clear Autoguide Rectangle"},              // 7
        {"Disable Declination Guiding"},            // 8
        {"Reverse North/South"},                    // 9
        {"Reverse East/West"},                      // 10
        kSeparator,                                 // 11
        Note("Focus square (right-button drag):"),  // 12
        {"16 x 16 pixels"},                         // 13
        {"32 x 32 pixels"},                         // 14
        {"64 x 64 pixels"},                         // 15
        {"128 x 128 pixels"},                       // 16
    }});
}

void RegisterViewMenu() {
    RegisterMenuTemplate({133, "View", {
        {"Camera Settings..."},                        // 1
        kSeparator,                                    // 2
        Note("Keyboard commands:"),                    // 3
        Note("Arrows: move the mount while held"),     // 4
        Note("Shift+Arrows: guiding delays"),          // 5
        Note("Space: one long exposure"),              // 6
        Note(",  .  alarm -/+ 0.2 s"),                 // 7
        Note("<  >  alarm -/+ 10 s"),                  // 8
        Note("-  =  end cutoffs -/+ 5"),               // 9
        Note("1  2  exposure line on / off"),          // 10
        Note("3  4  amplifier on / off"),              // 11
        Note("[  ]  event pause -/+ 1 tick"),          // 12
        Note("{  }  video phase -/+"),                 // 13
        kSeparator,                                    // 14
        {"Clear Target"},                              // 15
        {"Target Brighter"},                           // 16
        {"Target Dimmer"},                             // 17
        kSeparator,                                    // 18
        {"All Channels"},                              // 19
        {"Red Channel"},                               // 20
        {"Green Channel"},                             // 21
        {"Blue Channel"},                              // 22
        kSeparator,                                    // 23
        {"Raw Frame Window", '1'},                     // 24
        {"Level-Adjusted Frame Window", '2'},          // 25
        {"Channels Window", '3'},                      // 26
        {"Histograms Window", '4'},                    // 27
        {"Data Window", '5'},                          // 28
        {"Focus Aid Window", '6'},                     // 29
    }});
}

// Items 1 to 13 are the port functions by number; 2, 4, 9 and 12 divide the groups.
void RegisterPortUseMenu() {
    RegisterMenuTemplate({kPortUseMenuId, "Port use", {
        {"Not used"},                                  // 1
        kSeparator,                                    // 2
        {"Mount (guiding)"},                           // 3
        kSeparator,                                    // 4
        {"Exposure: DTR"},                             // 5
        {"Exposure: DTR inverted"},                    // 6
        {"Amplifier: DTR"},                            // 7
        {"Amplifier: DTR inverted"},                   // 8
        kSeparator,                                    // 9
        {"Exposure DTR + amplifier RTS"},              // 10
        {"Exposure DTR + amplifier RTS, inverted"},    // 11
        kSeparator,                                    // 12
        {"SV203 board"},                               // 13
    }});
}

}  // namespace

void RegisterMenuTemplates() {
    RegisterApplicationMenu();
    RegisterFileMenu();
    RegisterEditMenu();
    RegisterDebayerMenu();
    RegisterMiscMenu();
    RegisterViewMenu();
    RegisterPortUseMenu();
    RegisterMenuBarTemplate(128, {128, 129, 130, 131, 132, 133});
}
