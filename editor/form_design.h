#pragma once
// The editor window's fixed controls as designed: each one's name, caption, tool tip and place in
// twips (lines run from left to left + width at top). The window builds its controls from this
// table, and the window's tests check the built controls against it.

#include <array>
#include <string_view>

namespace tavik::form_design {

struct Control {
    std::string_view name;
    std::string_view caption;
    std::string_view toolTip;
    int left, top, width, height;
};

inline constexpr std::array<Control, 14> Controls{{
    {"framesFrame", "Custom Properties Frame", "", 90, 90, 2800, 870},
    {"frameSelect", "", "CP Frame", 150, 360, 2505, 315},
    {"configurationsFrame", "Configurations", "", 90, 1080, 2800, 6015},
    {"useConfigs", "Use Configurations", "", 360, 240, 1815, 375},
    {"configsList", "", "Configurations", 150, 720, 2500, 5130},
    {"Defaults", "Load Defaults", "Load Default CP Values", 8730, 720, 1365, 405},
    {"Scratch", "Load Scratch", "Load CP Values from Scratchpad (Right-Click for more options)", 8730, 1320, 1365, 405},
    {"Copy", "Copy From...", "Copy CP Values from another SW Document", 8730, 1920, 1365, 405},
    {"Line1", "", "", 8760, 2520, 1320, 0},
    {"Clear", "Clear CP Fields", "Clear CP Values from current Configuration (Right-Click for more options)", 8730,
        2760, 1365, 405},
    {"Line2", "", "", 8760, 3360, 1320, 0},
    {"Purge", "Purge CP Fields", "Remove ALL CP Fields from SW Document", 8730, 3600, 1365, 405},
    {"Quit", "Quit", "Exit without saving Custom Properties", 8730, 5925, 1365, 405},
    {"done", "Done", "Save CP Values and Exit", 8730, 6540, 1365, 405},
}};

// The controls the load builds for every frame, group and row. The frame container is placed in
// pixels, the rest in twips; a row's controls sit at the row's top plus their own top.
struct Box {
    int left, top, width, height;
};
inline constexpr Box FrameContainerPixels{200, 6, 373, 468};
inline constexpr Box TabStrip{150, 350, 5295, 6520};
inline constexpr Box Page{162, 662, 5271, 6196};
inline constexpr int RowStart = 200;
inline constexpr int RowHeight = 500;
inline constexpr Box Label{150, 55, 1500, 320};
inline constexpr Box ListSelector{150, 0, 1500, 320}; // a linked list's row shows it in place of a label
inline constexpr Box Value{1770, 0, 2450, 320};
inline constexpr Box Units{4340, 55, 800, 320};
inline constexpr Box GetNext{4340, 0, 800, 320};

// The designed control of that name; the table holds every name the window asks for.
constexpr const Control &control(std::string_view name)
{
    for (const Control &c : Controls)
        if (c.name == name)
            return c;
    throw "no designed control of that name";
}

} // namespace tavik::form_design
