#pragma once
// Parameter and value type codes shared by parameter blocks and function
// publishing, and the parameter flags.

using ParamID = short;
using MapID = short;

enum ParamType2 : int {
  TYPE_FLOAT = 0,
  TYPE_INT = 1,
  TYPE_RGBA = 2,
  TYPE_POINT3 = 3,
  TYPE_BOOL = 4,
  TYPE_ANGLE = 5,
  TYPE_PCNT_FRAC = 6,
  TYPE_WORLD = 7,
  TYPE_STRING = 8,
  TYPE_FILENAME = 9,
  TYPE_MTL = 11,
  TYPE_TEXMAP = 12,
  TYPE_INODE = 16,
  TYPE_VOID = 30,
  TYPE_TSTR_BV = 31,
  TYPE_TAB = 0x800,
  TYPE_INODE_TAB = TYPE_INODE | TYPE_TAB,
};

inline constexpr bool IsTabType(int t) { return (t & TYPE_TAB) != 0; }
inline constexpr int BaseType(int t) { return t & ~TYPE_TAB; }

// Parameter flags.
constexpr int P_ANIMATABLE = 0x0001;
constexpr int P_TRANSIENT = 0x0002;
constexpr int P_NO_INIT = 0x0004;
constexpr int P_INVISIBLE = 0x0010;
constexpr int P_RESET_DEFAULT = 0x0020;
constexpr int P_VARIABLE_SIZE = 0x0400;

// Block flags.
constexpr int P_AUTO_CONSTRUCT = 0x0100;
constexpr int P_AUTO_UI = 0x0200;
constexpr int P_MULTIMAP = 0x2000;

// Rollout controls.
enum ControlType2 : int {
  TYPE_NO_UI = 0,
  TYPE_SPINNER,
  TYPE_SINGLECHECKBOX,
  TYPE_COLORSWATCH,
  TYPE_PICKNODEBUTTON,
  TYPE_NODELISTBOX,
  TYPE_TEXMAPBUTTON,
  TYPE_MTLBUTTON,
  TYPE_FILEOPENBUTTON,
  TYPE_RADIO,
  TYPE_INT_COMBOBOX,
};

enum EditSpinnerType : int { EDITTYPE_NONE = 0, EDITTYPE_FLOAT, EDITTYPE_INT, EDITTYPE_UNIVERSE, EDITTYPE_POS_FLOAT };
