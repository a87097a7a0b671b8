#pragma once

// The main window's geometry, colours and texts, shared by every window
// program so that they cannot drift apart. Positions are in pixels relative
// to the parent at 96 pixels per inch; texts are UTF-8.

namespace tmq::layout {

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

struct Rgb {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// A vertical three-colour blend: top edge, horizontal centre line, bottom edge.
struct Gradient {
    Rgb top;
    Rgb centre;
    Rgb bottom;
};

struct Font {
    const char* family;
    // Size in points; when zero, `pixelHeight` gives the character height.
    int pointSize;
    int pixelHeight;
    bool bold;
};

struct Panel {
    const char* name;
    Rect geometry;
    Gradient colours;
};

struct Label {
    const char* name;
    const char* text;
    // Left and top only for a label sized to its text.
    Rect geometry;
};

struct Button {
    const char* name;
    // "&" marks the mnemonic letter.
    const char* caption;
    Rect geometry;
    // What screen readers say besides the caption: the heading of the
    // command the button runs, so that two "Aceptar" can be told apart;
    // empty where the caption says it all.
    const char* description;
};

inline constexpr const char* kCaption = "Exportar e importar datos entre Mirtavel y Quelmar ";
inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 266;

inline constexpr Font kDialogFont{"MS Sans Serif", 8, 0, false};
inline constexpr Font kVersionFont{"MS Sans Serif", 8, 0, true};
inline constexpr Font kHeadingFont{"Arial", 0, 16, true};
inline constexpr Rgb kVersionColour{0xFF, 0x00, 0x00};

inline constexpr Gradient kStatusColours{
    {0xCC, 0xD8, 0xE6}, {0xCF, 0xF2, 0xFE}, {0xC2, 0xCD, 0xFE}};
inline constexpr Gradient kCommandColours{
    {0xFF, 0xEE, 0xDD}, {0xFF, 0xFF, 0xFF}, {0xF9, 0xD3, 0x7D}};

// The bottom panel with the version and the close button; the export panel
// on the left; the import panel on the right.
inline constexpr Panel kDraw3D1{"Draw3D1", {0, 168, 633, 97}, kStatusColours};
inline constexpr Panel kDraw3D2{"Draw3D2", {1, 0, 315, 169}, kCommandColours};
inline constexpr Panel kDraw3D3{"Draw3D3", {316, 0, 317, 169}, kCommandColours};

// Label1 is sized to its text; the headings wrap inside their boxes.
inline constexpr Label kLabel1{"Label1", "TransMirtavelQuelmar V-2.3", {8, 72, 0, 0}};
inline constexpr Label kLabel3{
    "Label3", "Transformar datos desde Quelmar hacia Mirtavel ", {24, 24, 265, 57}};
inline constexpr Label kLabel4{
    "Label4", "Transformar datos desde Mirtavel hacia Quelmar", {8, 24, 305, 57}};

// Tab order: BClose, BExportar, BImportar; BClose has the first focus.
inline constexpr Button kBClose{"BClose", "&Salir", {256, 32, 89, 25}, ""};
inline constexpr Button kBExportar{
    "BExportar", "Aceptar", {96, 120, 89, 25}, "Transformar datos desde Quelmar hacia Mirtavel"};
inline constexpr Button kBImportar{
    "BImportar", "Aceptar", {96, 120, 89, 25}, "Transformar datos desde Mirtavel hacia Quelmar"};

// Side of the square button pictures.
inline constexpr int kGlyphSize = 18;

// The file dialog and the information box.
inline constexpr const char* kFileDialogTitle = "Archivo XML";
inline constexpr const char* kFileFilterPattern = "*.xml";
inline constexpr const char* kDefaultExtension = "xml";
inline constexpr const char* kAcceptCaption = "Aceptar";

// The program that makes and opens the timetable page, as the Start menu and
// the desktop name it: the caption of its error box.
inline constexpr const char* kTimetablePageTitle = "Ver horario de Mirtavel";

} // namespace tmq::layout
