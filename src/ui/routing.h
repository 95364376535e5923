// What the two dialog procedures do with a command, decided from plain values so
// that the rules hold apart from the window system. The procedures feed them the
// low and high words of WM_COMMAND's wParam.
#pragma once

#include "ui/resource.h"

// The ids of the Save and Exit buttons (IDOK, IDCANCEL) and the platform's
// notification codes that the routing looks at.
constexpr unsigned ID_SAVE = 1;
constexpr unsigned ID_EXIT = 2;
constexpr unsigned NOTIFY_BN_CLICKED = 0x0000;
constexpr unsigned NOTIFY_EN_CHANGE = 0x0300;

// Client pixels between the top of the "Data" group box and a panel: room for
// the group box's caption.
constexpr int PANEL_OFFSET_Y = 17;

enum class MainCommand { Save, Exit, SelectType, Nothing };

// Save and Exit go by the id alone, whatever the code; any other button's click
// is a type selection.
constexpr MainCommand RouteMainCommand(unsigned id, unsigned code) {
    if (id == ID_SAVE) return MainCommand::Save;
    if (id == ID_EXIT) return MainCommand::Exit;
    if (code == NOTIFY_BN_CLICKED) return MainCommand::SelectType;
    return MainCommand::Nothing;
}

// Only a change of a field's text regenerates; focus and the other edit
// notifications do not.
constexpr bool IsFieldChange(unsigned id, unsigned code) {
    return id >= IDC_FIELD_FIRST && id <= IDC_FIELD_LAST && code == NOTIFY_EN_CHANGE;
}

// The index in g_panels of a type's panel; anything unknown shows Free Text.
constexpr int PanelIndexFor(long type) {
    return type >= IDC_TYPE_URL && type <= IDC_TYPE_SMS ? static_cast<int>(type - IDC_TYPE_FREETEXT) : 0;
}
