#!/usr/bin/env python3
"""Writes Velmora's looks: the 13 theme files in this folder and the 5 compiled-in sheets in
src/ui/looks/. Every look is one palette below poured into one shared style-sheet template, so a
fix to how a widget is drawn reaches all looks at once. Edit a palette or the template, run
this script, and commit its output together with the change. It also prints every text/background
pair whose contrast is below 4.5:1 (the unit tests check the written sheets the same way)."""

import pathlib
import re
import string
import sys

HERE = pathlib.Path(__file__).resolve().parent
BUILT_IN = HERE.parent / "src" / "ui" / "looks"
IMAGES = ":/velmora/skin-images"


# --- colour helpers -----------------------------------------------------------------------------

def vgrad(*stops):
    """A top-to-bottom gradient through evenly spaced stops."""
    if len(stops) == 1:
        return stops[0]
    parts = [f"stop:{i / (len(stops) - 1):g} {c}" for i, c in enumerate(stops)]
    return "qlineargradient(x1:0, y1:0, x2:0, y2:1, " + ", ".join(parts) + ")"


def gloss(top, upper, lower, bottom):
    """Glass: a light upper half that breaks sharply into a deeper lower half."""
    return ("qlineargradient(x1:0, y1:0, x2:0, y2:1, "
            f"stop:0 {top}, stop:0.49 {upper}, stop:0.5 {lower}, stop:1 {bottom})")


def luminance(colour):
    colour = colour.lstrip("#")
    channels = [int(colour[i:i + 2], 16) / 255 for i in (0, 2, 4)]
    linear = [c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4 for c in channels]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def lightness(colour):
    """CIE L* (0 black .. 100 white): how light a colour looks."""
    y = luminance(colour)
    f = y ** (1 / 3) if y > 216 / 24389 else (24389 / 27 * y + 16) / 116
    return 116 * f - 16


def colours_of(value):
    return re.findall(r"#[0-9a-fA-F]{6}", value)


def mix(a, b, t):
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * t):02x}" for x, y in zip(ca, cb))


def dimmed(text, background):
    """Disabled text: the text colour moved towards its background until it looks clearly dimmer
    (28 L* units), but never below 4.6:1 against any colour of the background."""
    stops = colours_of(background)
    middle = stops[len(stops) // 2]
    chosen = text
    for step in range(1, 101):
        candidate = mix(text, middle, step / 100)
        if min(contrast(candidate, stop) for stop in stops) < 4.6:
            break
        chosen = candidate
        if abs(lightness(text) - lightness(candidate)) >= 28:
            break
    return chosen


# --- the template ---------------------------------------------------------------------------------

TEMPLATE = string.Template(r"""/* $title: $description
   Velmora look "$value". A Qt style sheet, written by skins/generate-looks.py from its palette;
   arrows and check marks come from the program's resources. */

QWidget {
    color: $text;
}
QMainWindow, QDialog {
    background: $window_bg;
    color: $text;
}
QMainWindow::separator {
    background: $group_border;
    width: 1px;
    height: 1px;
}
QToolTip {
    color: $tip_text;
    background: $tip_bg;
    border: 1px solid $tip_border;
    padding: 3px;
}
QLabel {
    color: $text;
    background: transparent;
}
QLabel:disabled {
    color: $disabled_text;
}

/* Toolbar and its buttons */
QToolBar {
    background: $toolbar_bg;
    border: none;
    border-bottom: $toolbar_rule solid $toolbar_border;
    padding: 3px;
    spacing: 2px;
}
QToolBar::separator {
    background: $toolbar_separator;
    width: 1px;
    margin: 6px 4px;
}
QToolBar QToolButton {
    color: $toolbar_text;
    background: transparent;
    border: 1px solid transparent;
    border-radius: ${button_radius}px;
    padding: 3px 6px;
    font-weight: $button_weight;
}
QToolBar QToolButton:hover {
    color: $toolbar_hover_text;
    background: $toolbar_hover_bg;
    border-color: $toolbar_hover_border;
}
QToolBar QToolButton:pressed, QToolBar QToolButton:checked {
    color: $toolbar_pressed_text;
    background: $toolbar_pressed_bg;
    border-color: $toolbar_pressed_border;
}
QToolBar QToolButton:disabled {
    color: $toolbar_disabled_text;
    background: transparent;
    border-color: transparent;
}
QToolBar QToolButton[popupMode="2"] {
    padding-right: 14px;
}
QToolBar QToolButton::menu-indicator {
    image: url($IMAGES/arrow-down-$toolbar_tone.svg);
    subcontrol-origin: padding;
    subcontrol-position: center right;
    width: 9px;
    height: 9px;
}
QToolBar QToolButton::menu-indicator:hover, QToolBar QToolButton::menu-arrow:hover {
    image: url($IMAGES/arrow-down-$toolbar_hover_tone.svg);
}
QToolBar QToolButton[popupMode="1"] {
    padding-right: 18px;
}
QToolBar QToolButton::menu-button {
    border: none;
    border-left: 1px solid $toolbar_separator;
    width: 14px;
}
QToolBar QToolButton::menu-arrow {
    image: url($IMAGES/arrow-down-$toolbar_tone.svg);
    width: 9px;
    height: 9px;
}

/* Push buttons */
QPushButton {
    color: $button_text;
    background: $button_bg;
    border: 1px solid $button_border;
    border-radius: ${button_radius}px;
    font-weight: $button_weight;
    padding: 4px 14px;
    min-height: 18px;
    min-width: 44px;
}
QPushButton:default {
    border-color: $button_default_border;
}
QPushButton:hover {
    color: $button_hover_text;
    background: $button_hover_bg;
    border-color: $button_hover_border;
}
QPushButton:pressed, QPushButton:checked {
    color: $button_pressed_text;
    background: $button_pressed_bg;
    border-color: $button_pressed_border;
}
QPushButton:disabled {
    color: $button_disabled_text;
    background: $button_disabled_bg;
    border-color: $button_disabled_border;
}

/* Stand-alone tool buttons (the picture buttons under the preview): light enough for dark icons */
QToolButton {
    color: $tool_text;
    background: $tool_bg;
    border: 1px solid $tool_border;
    border-radius: ${button_radius}px;
    padding: 3px;
}
QToolButton:hover {
    color: $tool_text;
    background: $tool_hover_bg;
    border-color: $tool_hover_border;
}
QToolButton:pressed, QToolButton:checked {
    color: $tool_text;
    background: $tool_pressed_bg;
    border-color: $tool_hover_border;
}
QToolButton:disabled {
    color: $tool_disabled_text;
    background: $tool_disabled_bg;
    border-color: $button_disabled_border;
}
QToolButton::menu-indicator {
    image: url($IMAGES/arrow-down-dark.svg);
    subcontrol-position: bottom right;
    width: 8px;
    height: 8px;
}

/* Menus */
QMenuBar {
    color: $menu_text;
    background: $menu_bg;
}
QMenuBar::item:selected {
    color: $menu_selected_text;
    background: $menu_selected_bg;
}
QMenu {
    color: $menu_text;
    background: $menu_bg;
    border: 1px solid $menu_border;
    padding: 4px 0;
}
QMenu::item {
    color: $menu_text;
    background: transparent;
    padding: 5px 30px 5px 28px;
    margin: 0 3px;
    border-radius: ${menu_radius}px;
}
QMenu::item:selected {
    color: $menu_selected_text;
    background: $menu_selected_bg;
}
QMenu::item:disabled {
    color: $menu_disabled_text;
    background: transparent;
}
QMenu::separator {
    height: 1px;
    background: $menu_separator;
    margin: 4px 10px;
}
QMenu::indicator {
    width: 12px;
    height: 12px;
    left: 9px;
}
QMenu::indicator:checked {
    image: url($IMAGES/check-$menu_tone.svg);
}
QMenu::indicator:checked:selected {
    image: url($IMAGES/check-$menu_selected_tone.svg);
}
QMenu::right-arrow {
    image: url($IMAGES/arrow-right-$menu_tone.svg);
    width: 9px;
    height: 9px;
}

/* Group boxes */
QGroupBox {
    color: $text;
    background: $group_bg;
    border: 1px solid $group_border;
    border-radius: ${group_radius}px;
    margin-top: 12px;
    padding: 12px 6px 6px 6px;
}
QGroupBox::title {
    color: $group_title;
    background: $group_title_bg;
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 10px;
    padding: 1px 6px;
    border-radius: 3px;
    font-weight: bold;
}
QGroupBox::title:disabled {
    color: $group_title_disabled;
}

/* Edit boxes, combo boxes, spin boxes, text panes */
QLineEdit, QAbstractSpinBox, QTextEdit, QPlainTextEdit {
    color: $input_text;
    background: $input_bg;
    border: 1px solid $input_border;
    border-radius: ${input_radius}px;
    selection-color: $selected_text;
    selection-background-color: $selected_flat;
}
QLineEdit, QAbstractSpinBox {
    padding: 3px 5px;
    min-height: 16px;
}
QLineEdit:hover, QAbstractSpinBox:hover, QComboBox:hover {
    border-color: $input_hover_border;
}
QLineEdit:focus, QAbstractSpinBox:focus, QTextEdit:focus, QPlainTextEdit:focus, QComboBox:focus {
    border-color: $focus;
}
QLineEdit:read-only, QTextEdit[readOnly="true"], QPlainTextEdit[readOnly="true"] {
    color: $input_text;
    background: $readonly_bg;
}
QLineEdit:disabled, QAbstractSpinBox:disabled, QTextEdit:disabled, QPlainTextEdit:disabled {
    color: $input_disabled_text;
    background: $input_disabled_bg;
    border-color: $input_disabled_border;
}
QAbstractSpinBox::up-button, QAbstractSpinBox::down-button {
    subcontrol-origin: border;
    width: 16px;
    background: transparent;
    border-left: 1px solid $input_border;
}
QAbstractSpinBox::up-button {
    subcontrol-position: top right;
}
QAbstractSpinBox::down-button {
    subcontrol-position: bottom right;
}
QAbstractSpinBox::up-arrow {
    image: url($IMAGES/arrow-up-$input_tone.svg);
    width: 8px;
    height: 8px;
}
QAbstractSpinBox::down-arrow {
    image: url($IMAGES/arrow-down-$input_tone.svg);
    width: 8px;
    height: 8px;
}
QComboBox {
    color: $input_text;
    background: $combo_bg;
    border: 1px solid $input_border;
    border-radius: ${input_radius}px;
    padding: 3px 24px 3px 6px;
    min-height: 16px;
    selection-color: $selected_text;
    selection-background-color: $selected_flat;
}
QComboBox:on {
    border-color: $focus;
}
QComboBox:disabled {
    color: $input_disabled_text;
    background: $input_disabled_bg;
    border-color: $input_disabled_border;
}
QComboBox::drop-down {
    subcontrol-origin: padding;
    subcontrol-position: center right;
    width: 20px;
    background: $combo_button_bg;
    border: none;
    border-left: 1px solid $input_border;
    border-top-right-radius: ${input_radius}px;
    border-bottom-right-radius: ${input_radius}px;
}
QComboBox::down-arrow {
    image: url($IMAGES/arrow-down-$combo_tone.svg);
    width: 10px;
    height: 10px;
}
QComboBox QAbstractItemView {
    color: $input_text;
    background: $view_bg;
    border: 1px solid $focus;
    outline: 0;
    padding: 2px;
    selection-color: $selected_text;
    selection-background-color: $selected_flat;
}

/* Lists, trees and tables */
QAbstractItemView {
    color: $input_text;
    background: $view_bg;
    alternate-background-color: $view_alternate;
    border: 1px solid $input_border;
    border-radius: ${view_radius}px;
    gridline-color: $grid;
    selection-color: $selected_text;
    selection-background-color: $selected_flat;
    outline: 0;
}
QAbstractItemView:disabled {
    color: $input_disabled_text;
}
QTreeView::item, QListView::item, QTableView::item {
    min-height: 20px;
}
QTreeView::item:hover, QListView::item:hover {
    color: $input_text;
    background: $view_hover;
}
QTreeView::item:selected, QListView::item:selected, QTableView::item:selected {
    color: $selected_text;
    background: $selected_bg;
}
QListView[viewMode="1"]::item {
    border-radius: 4px;
    padding: 4px;
}
QHeaderView {
    background: $view_bg;
    border: none;
}
QHeaderView::section, QTableCornerButton::section {
    color: $header_text;
    background: $header_bg;
    border: none;
    border-right: 1px solid $header_border;
    border-bottom: $header_rule solid $header_rule_colour;
    padding: 4px 6px;
    font-weight: $header_weight;
}
QHeaderView::section:hover {
    color: $header_text;
    background: $header_hover_bg;
}
QHeaderView::section:pressed {
    color: $header_text;
    background: $header_pressed_bg;
}
QHeaderView::up-arrow {
    image: url($IMAGES/arrow-up-$header_tone.svg);
    width: 9px;
    height: 9px;
}
QHeaderView::down-arrow {
    image: url($IMAGES/arrow-down-$header_tone.svg);
    width: 9px;
    height: 9px;
}

/* Tabs */
QTabWidget::pane {
    background: $pane_bg;
    border: 1px solid $tab_border;
    border-radius: ${group_radius}px;
    top: -1px;
}
QTabWidget::tab-bar {
    left: 8px;
}
QTabBar::tab {
    color: $tab_text;
    background: $tab_bg;
    border: 1px solid $tab_border;
    padding: 5px 14px;
$tab_shape}
QTabBar::tab:hover {
    color: $tab_hover_text;
    background: $tab_hover_bg;
}
QTabBar::tab:selected {
    color: $tab_selected_text;
    background: $tab_selected_bg;
$tab_selected_shape}
QTabBar::tab:disabled {
    color: $tab_disabled_text;
    background: $tab_bg;
}
QTabBar QToolButton {
    padding: 1px;
}
QTabBar QToolButton::left-arrow {
    image: url($IMAGES/arrow-left-dark.svg);
}
QTabBar QToolButton::right-arrow {
    image: url($IMAGES/arrow-right-dark.svg);
}

/* Track bars */
QSlider {
    background: transparent;
}
QSlider::groove:horizontal {
    height: 6px;
    background: $slider_groove;
    border: 1px solid $slider_groove_border;
    border-radius: 3px;
}
QSlider::groove:vertical {
    width: 6px;
    background: $slider_groove;
    border: 1px solid $slider_groove_border;
    border-radius: 3px;
}
QSlider::sub-page:horizontal, QSlider::add-page:vertical {
    background: $slider_fill;
    border: 1px solid $slider_fill_border;
    border-radius: 3px;
}
QSlider::sub-page:horizontal:disabled, QSlider::add-page:vertical:disabled {
    background: $slider_groove;
    border-color: $slider_groove_border;
}
QSlider::handle:horizontal {
    width: 14px;
    margin: -6px 0;
    background: $slider_handle;
    border: 1px solid $slider_handle_border;
    border-radius: ${slider_handle_radius}px;
}
QSlider::handle:vertical {
    height: 14px;
    margin: 0 -6px;
    background: $slider_handle;
    border: 1px solid $slider_handle_border;
    border-radius: ${slider_handle_radius}px;
}
QSlider::handle:hover {
    background: $slider_handle_hover;
}
QSlider::handle:disabled {
    background: $button_disabled_bg;
    border-color: $button_disabled_border;
}

/* Progress bars */
QProgressBar {
    color: $progress_text;
    background: $progress_bg;
    border: 1px solid $progress_border;
    border-radius: ${progress_radius}px;
    text-align: center;
    min-height: 14px;
}
QProgressBar::chunk {
    background: $progress_chunk;
    border-radius: ${progress_chunk_radius}px;
$progress_chunk_shape}
QProgressBar:disabled {
    color: $input_disabled_text;
    background: $input_disabled_bg;
}
QProgressBar::chunk:disabled {
    background: $button_disabled_bg;
}

/* Check boxes and radio buttons */
QCheckBox, QRadioButton {
    color: $text;
    background: transparent;
    spacing: 6px;
}
QCheckBox:disabled, QRadioButton:disabled {
    color: $disabled_text;
}
QCheckBox::indicator, QRadioButton::indicator {
    width: 14px;
    height: 14px;
    background: $check_bg;
    border: 1px solid $check_border;
}
QCheckBox::indicator {
    border-radius: ${check_radius}px;
}
QRadioButton::indicator {
    border-radius: 8px;
}
QCheckBox::indicator:hover, QRadioButton::indicator:hover {
    border-color: $focus;
}
QCheckBox::indicator:checked {
    background: $check_checked_bg;
    border-color: $check_checked_border;
    image: url($IMAGES/check-$check_tone.svg);
}
QRadioButton::indicator:checked {
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5, stop:0 $check_checked_flat, stop:0.45 $check_checked_flat, stop:0.5 $check_bg, stop:1 $check_bg);
    border-color: $check_checked_border;
}
QCheckBox::indicator:disabled, QRadioButton::indicator:disabled {
    background: $button_disabled_bg;
    border-color: $button_disabled_border;
}
QCheckBox::indicator:checked:disabled {
    image: url($IMAGES/check-$disabled_tone.svg);
}

/* Status bar */
QStatusBar {
    color: $status_text;
    background: $status_bg;
    border-top: $status_rule solid $status_border;
}
QStatusBar QLabel {
    color: $status_text;
}
QStatusBar::item {
    border: none;
}

/* Scroll bars */
QScrollBar:vertical {
    width: 15px;
    margin: ${scroll_arrow_size}px 0 ${scroll_arrow_size}px 0;
    background: $scroll_track;
    border: none;
}
QScrollBar:horizontal {
    height: 15px;
    margin: 0 ${scroll_arrow_size}px 0 ${scroll_arrow_size}px;
    background: $scroll_track;
    border: none;
}
QScrollBar::handle {
    background: $scroll_handle;
    border: 1px solid $scroll_handle_border;
    border-radius: ${scroll_radius}px;
    margin: 2px;
}
QScrollBar::handle:vertical {
    min-height: 28px;
}
QScrollBar::handle:horizontal {
    min-width: 28px;
}
QScrollBar::handle:hover {
    background: $scroll_handle_hover;
}
QScrollBar::add-line, QScrollBar::sub-line {
    subcontrol-origin: margin;
    background: $scroll_button_bg;
    border: ${scroll_button_border_width}px solid $scroll_handle_border;
    border-radius: ${scroll_radius}px;
    margin: 1px;
}
QScrollBar::add-line:vertical {
    subcontrol-position: bottom;
    height: ${scroll_button_size}px;
}
QScrollBar::sub-line:vertical {
    subcontrol-position: top;
    height: ${scroll_button_size}px;
}
QScrollBar::add-line:horizontal {
    subcontrol-position: right;
    width: ${scroll_button_size}px;
}
QScrollBar::sub-line:horizontal {
    subcontrol-position: left;
    width: ${scroll_button_size}px;
}
QScrollBar::up-arrow {
    image: $scroll_up_image;
    width: ${scroll_arrow_image_size}px;
    height: ${scroll_arrow_image_size}px;
}
QScrollBar::down-arrow {
    image: $scroll_down_image;
    width: ${scroll_arrow_image_size}px;
    height: ${scroll_arrow_image_size}px;
}
QScrollBar::left-arrow {
    image: $scroll_left_image;
    width: ${scroll_arrow_image_size}px;
    height: ${scroll_arrow_image_size}px;
}
QScrollBar::right-arrow {
    image: $scroll_right_image;
    width: ${scroll_arrow_image_size}px;
    height: ${scroll_arrow_image_size}px;
}
QScrollBar::add-page, QScrollBar::sub-page {
    background: none;
}
QAbstractScrollArea::corner {
    background: $scroll_track;
    border: none;
}
""")


# --- palettes -------------------------------------------------------------------------------------

def complete(look):
    """Fills the keys a palette leaves out from the ones it gives."""
    p = dict(look)
    d = p.setdefault
    d("IMAGES", IMAGES)
    d("tip_bg", p["menu_bg"])
    d("tip_text", p["menu_text"])
    d("tip_border", p["menu_border"])
    d("toolbar_rule", "1px")
    d("toolbar_separator", p["toolbar_border"])
    d("toolbar_hover_text", p["toolbar_text"])
    d("toolbar_hover_border", "transparent")
    d("toolbar_pressed_text", p["toolbar_hover_text"])
    d("toolbar_pressed_border", p["toolbar_hover_border"])
    d("toolbar_hover_tone", p["toolbar_tone"])
    d("toolbar_disabled_text", dimmed(p["toolbar_text"], p["toolbar_bg"]))
    d("button_weight", "normal")
    d("button_hover_text", p["button_text"])
    d("button_pressed_text", p["button_hover_text"])
    d("button_pressed_border", p["button_hover_border"])
    d("button_default_border", p["focus"])
    d("tool_bg", p["button_bg"])
    d("tool_text", p["button_text"])
    d("tool_border", p["button_border"])
    d("tool_hover_bg", p["button_hover_bg"])
    d("tool_hover_border", p["button_hover_border"])
    d("tool_pressed_bg", p["button_pressed_bg"])
    d("tool_disabled_text", p["button_disabled_text"])
    d("tool_disabled_bg", p["button_disabled_bg"])
    d("group_title_bg", "transparent")
    d("group_title_disabled", dimmed(p["group_title"], p["group_title_bg"])
      if p["group_title_bg"] != "transparent" else dimmed(p["group_title"], p["window_bg"]))
    d("input_text", p["text"])
    d("input_hover_border", p["focus"])
    d("input_disabled_border", p["input_border"])
    d("combo_bg", p["input_bg"])
    d("combo_button_bg", "transparent")
    d("combo_tone", p["input_tone"])
    d("view_bg", p["input_bg"])
    d("view_radius", 0)
    d("grid", p["input_border"])
    d("selected_flat", colours_of(p["selected_bg"])[0])
    d("header_rule", "1px")
    d("header_rule_colour", p["header_border"])
    d("header_weight", "normal")
    d("header_pressed_bg", p["header_hover_bg"])
    d("header_tone", p["input_tone"])
    d("menu_radius", 0)
    d("menu_separator", p["menu_border"])
    d("tab_hover_text", p["tab_text"])
    d("tab_disabled_text", dimmed(p["tab_text"], p["tab_bg"]))
    d("pane_bg", p["group_bg"])
    d("slider_fill_border", p["slider_groove_border"])
    d("slider_handle_radius", 7)
    d("progress_chunk_radius", max(0, int(p["progress_radius"]) - 1))
    d("progress_chunk_shape", "")
    d("check_checked_border", p["check_border"])
    d("check_checked_flat", colours_of(p["check_checked_bg"])[0])
    d("check_radius", 3)
    d("scroll_arrow_size", 15 if p["scroll_arrows"] else 0)
    d("scroll_arrow_image_size", 8 if p["scroll_arrows"] else 0)
    for direction in ("up", "down", "left", "right"):
        d(f"scroll_{direction}_image", f"url({IMAGES}/arrow-{direction}-{p['scroll_tone']}.svg)"
          if p["scroll_arrows"] else "none")
    d("scroll_button_size", 15 if p["scroll_arrows"] else 0)
    d("scroll_button_border_width", 1 if p["scroll_arrows"] else 0)
    d("scroll_button_bg", p["scroll_handle"] if p["scroll_arrows"] else "transparent")
    d("status_rule", "1px")
    shape = p.get("tab_style", "classic")
    radius = p["tab_radius"]
    if shape == "classic":
        d("tab_shape", f"    border-bottom: none;\n    border-top-left-radius: {radius}px;\n"
                       f"    border-top-right-radius: {radius}px;\n    margin-right: 2px;\n"
                       "    margin-top: 2px;\n")
        accent = p.get("tab_accent")
        extra = f"    border-top: 2px solid {accent};\n" if accent else ""
        d("tab_selected_shape", "    margin-top: 0;\n" + extra)
    elif shape == "underline":
        d("tab_shape", "    border: none;\n    border-bottom: 2px solid transparent;\n"
                       "    margin-right: 2px;\n")
        d("tab_selected_shape", f"    border-bottom: 2px solid {p['tab_accent']};\n")
    elif shape == "pill":
        d("tab_shape", f"    border-radius: {radius}px;\n    margin: 0 3px 4px 0;\n")
        d("tab_selected_shape", "")
    return p


LOOKS = []


def look(**palette):
    LOOKS.append(complete(palette))


# skin1: the Mac look. Brushed light grey, white gel buttons as pills, aqua blue for what is active.
look(value="skin1", file="MacOS.qss", builtin=True, title="Mac苹果皮肤",
     description="light grey with white gel pill buttons and aqua blue highlights",
     text="#1d1d1f", window_bg=vgrad("#efefef", "#d9d9d9"), disabled_text="#5e5e62",
     toolbar_bg=vgrad("#e9e9e9", "#c8c8c8"), toolbar_text="#1d1d1f", toolbar_border="#9c9c9c",
     toolbar_hover_bg=vgrad("#fbfbfb", "#dedede"), toolbar_hover_border="#9a9a9a",
     toolbar_pressed_bg=vgrad("#bdbdbd", "#d4d4d4"), toolbar_pressed_border="#8a8a8a", toolbar_tone="dark",
     button_bg=gloss("#ffffff", "#f5f5f5", "#e8e8e8", "#f8f8f8"), button_text="#1d1d1f",
     button_border="#9d9d9d", button_radius=11,
     button_hover_bg=gloss("#e8f3fe", "#cde5fc", "#a9d2f8", "#cfe7fd"),
     button_hover_border="#5b8fd1", button_hover_text="#0a1f33",
     button_pressed_bg=gloss("#bcdaf8", "#9ac7f3", "#78b1eb", "#a2ccf4"),
     button_pressed_border="#3f78bf",
     button_disabled_bg="#ececec", button_disabled_text="#5e5e62", button_disabled_border="#c2c2c2",
     button_default_border="#3f78bf",
     focus="#5b9dd9",
     group_bg="#e6e6e6", group_border="#bdbdbd", group_title="#1d1d1f", group_radius=6,
     input_bg="#ffffff", input_border="#a3a3a3", input_radius=4, input_tone="dark",
     readonly_bg="#f4f4f4", input_disabled_bg="#f0f0f0", input_disabled_text="#5e5e62",
     combo_bg=gloss("#ffffff", "#f7f7f7", "#ececec", "#f8f8f8"),
     combo_button_bg=gloss("#8fc4f7", "#5da7f1", "#3a8ae6", "#63acf2"), combo_tone="light",
     view_alternate="#edf3fe", view_hover="#e3edfb",
     selected_bg=vgrad("#3a73d1", "#2a5fba"), selected_text="#ffffff",
     header_bg=vgrad("#ffffff", "#e4e4e4"), header_text="#1d1d1f", header_border="#c2c2c2",
     header_hover_bg=vgrad("#f4f8fd", "#dbe7f6"),
     menu_bg="#f7f7f7", menu_text="#1d1d1f", menu_border="#adadad", menu_radius=4,
     menu_selected_bg=vgrad("#3a73d1", "#2a5fba"), menu_selected_text="#ffffff",
     menu_disabled_text="#6a6a6e", menu_separator="#dadada", menu_tone="dark", menu_selected_tone="light",
     tab_style="pill", tab_radius=10,
     tab_bg=gloss("#ffffff", "#f5f5f5", "#e8e8e8", "#f8f8f8"), tab_text="#1d1d1f", tab_border="#a3a3a3",
     tab_hover_bg=gloss("#f2f8fe", "#dfeefc", "#c6e0f9", "#dcecfc"),
     tab_selected_bg=gloss("#a9d2f8", "#79b6f1", "#5298e6", "#7ab8f2"), tab_selected_text="#07182a",
     pane_bg="#ececec",
     slider_groove=vgrad("#b9b9b9", "#dcdcdc"), slider_groove_border="#9a9a9a",
     slider_fill=vgrad("#7bb8f3", "#3d8ae0"), slider_fill_border="#3a78c4",
     slider_handle=gloss("#ffffff", "#f3f3f3", "#e2e2e2", "#f5f5f5"), slider_handle_border="#8a8a8a",
     slider_handle_hover=gloss("#ffffff", "#e8f3fe", "#cde5fc", "#e3f0fd"),
     progress_bg=vgrad("#d6d6d6", "#efefef"), progress_border="#a0a0a0", progress_radius=7,
     progress_chunk=gloss("#cfe7fd", "#a9d3fa", "#82bdf4", "#a7d1f8"), progress_text="#0a1f33",
     scroll_track=vgrad("#e9e9e9", "#f7f7f7"), scroll_arrows=True, scroll_radius=7, scroll_tone="dark",
     scroll_handle=gloss("#cfe6fc", "#a4cff7", "#7cb8f1", "#a1cdf6"), scroll_handle_border="#5b8fd1",
     scroll_handle_hover=gloss("#e0effd", "#b9dbfa", "#93c6f5", "#b4d8f9"),
     scroll_button_bg=gloss("#ffffff", "#f3f3f3", "#e3e3e3", "#f3f3f3"),
     status_bg=vgrad("#e1e1e1", "#cdcdcd"), status_text="#1d1d1f", status_border="#a8a8a8",
     check_bg="#ffffff", check_border="#8f8f8f", check_checked_bg=vgrad("#5aa2ee", "#2f6fcf"),
     check_checked_border="#2a62b8", check_tone="light", disabled_tone="dark")


# skin2: MSN. Light sky-blue window under a deep blue band; the hover glow is the butterfly's orange.
look(value="skin2", file="msn.sui", builtin=False, title="微软MSN皮肤",
     description="sky blue window under a deep blue band, orange hover glow, green progress",
     text="#0f2350", window_bg=vgrad("#f0f5fd", "#d5e2f7"), disabled_text="#4f5f80",
     toolbar_bg=vgrad("#1f47a3", "#143480"), toolbar_text="#ffffff", toolbar_border="#0e2868",
     toolbar_separator="#4f73c4",
     toolbar_hover_bg=vgrad("#eef4ff", "#cddcf8"), toolbar_hover_text="#0f2350",
     toolbar_hover_border="#9fbcf0",
     toolbar_pressed_bg=vgrad("#ffd98a", "#f5b642"), toolbar_pressed_text="#2a1600",
     toolbar_pressed_border="#c98a17", toolbar_tone="light", toolbar_hover_tone="dark",
     button_bg=vgrad("#ffffff", "#dbe6fa"), button_text="#0f2350", button_border="#7f9db9",
     button_radius=3,
     button_hover_bg=vgrad("#fff8e6", "#ffe0a0"), button_hover_border="#e39a1e",
     button_pressed_bg=vgrad("#ffcf73", "#ffe2a8"), button_pressed_text="#2a1600",
     button_pressed_border="#c98a17",
     button_disabled_bg="#eaeff8", button_disabled_text="#4f5f80", button_disabled_border="#b4c3dc",
     button_default_border="#2f5fc9",
     focus="#3b6bd4",
     group_bg="#f7faff", group_border="#9db4e0", group_title="#1c4fb8", group_radius=4,
     input_bg="#ffffff", input_border="#7f9db9", input_radius=2, input_tone="dark",
     readonly_bg="#eef3fc", input_disabled_bg="#eef1f6", input_disabled_text="#4f5f80",
     combo_button_bg=vgrad("#e9f0fd", "#c4d5f4"),
     view_alternate="#eef3fd", view_hover="#fff3d6",
     selected_bg=vgrad("#3b6bd4", "#2a56b8"), selected_text="#ffffff",
     header_bg=vgrad("#f5f8ff", "#d3dff6"), header_text="#0f2350", header_border="#9db4e0",
     header_hover_bg=vgrad("#fff8e6", "#ffe6b3"),
     menu_bg="#ffffff", menu_text="#0f2350", menu_border="#7f9db9",
     menu_selected_bg=vgrad("#fff3d6", "#ffdc94"), menu_selected_text="#2a1600",
     menu_disabled_text="#56668a", menu_separator="#c8d6ef", menu_tone="dark", menu_selected_tone="dark",
     tab_style="classic", tab_radius=4, tab_accent="#f5a623",
     tab_bg=vgrad("#e9f0fd", "#cad9f4"), tab_text="#0f2350", tab_border="#8faad8",
     tab_hover_bg=vgrad("#fff8e6", "#ffe6b3"),
     tab_selected_bg="#ffffff", tab_selected_text="#0f2350", pane_bg="#ffffff",
     slider_groove="#c3d3f1", slider_groove_border="#7f9db9",
     slider_fill=vgrad("#5b86e0", "#2f5fc9"), slider_fill_border="#2a56b8",
     slider_handle=vgrad("#ffffff", "#dbe6fa"), slider_handle_border="#2f5fc9",
     slider_handle_hover=vgrad("#fff8e6", "#ffe0a0"),
     progress_bg="#ffffff", progress_border="#7f9db9", progress_radius=3,
     progress_chunk=vgrad("#a8ec98", "#62c44f"), progress_text="#0f2350",
     scroll_track="#e6eefc", scroll_arrows=True, scroll_radius=2, scroll_tone="dark",
     scroll_handle=vgrad("#dde7fa", "#b3c8ef"), scroll_handle_border="#7f9db9",
     scroll_handle_hover=vgrad("#fff8e6", "#ffe0a0"),
     status_bg=vgrad("#dbe6fa", "#c0d1f1"), status_text="#0f2350", status_border="#9db4e0",
     check_bg="#ffffff", check_border="#7f9db9", check_checked_bg="#2f5fc9",
     check_checked_border="#1e48a6", check_tone="light", disabled_tone="dark")

# skin3: charcoal black glass with a blue glow on what the pointer touches.
look(value="skin3", file="mp10.sui", builtin=False, title="WMP10皮肤",
     tool_bg=gloss("#f4f6f9", "#dfe3ea", "#c3cad6", "#d6dbe4"), tool_text="#14171d", tool_border="#0c0e12",
     tool_hover_bg=gloss("#ffffff", "#e5f1ff", "#b5d6ff", "#d2e6ff"), tool_hover_border="#4a9eff",
     tool_pressed_bg=gloss("#b5d6ff", "#9cc6fb", "#7fb3f5", "#a3cbfb"),
     description="charcoal glass, rounded buttons, blue glow on hover and selection",
     text="#e8ecf3", window_bg=vgrad("#2b303b", "#14171d"), disabled_text="#959cab",
     toolbar_bg=gloss("#3e4452", "#2c313c", "#1a1d24", "#242830"), toolbar_text="#f4f6fa",
     toolbar_border="#07080b", toolbar_separator="#4b5262",
     toolbar_hover_bg=gloss("#3b73b3", "#2d64a3", "#1d4f8a", "#2762a0"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#6fa8ec",
     toolbar_pressed_bg=gloss("#173e72", "#13335e", "#0e2749", "#143560"), toolbar_pressed_text="#ffffff",
     toolbar_pressed_border="#3b73b3", toolbar_tone="light",
     button_bg=gloss("#4e5666", "#3c4350", "#292e38", "#343a46"), button_text="#f3f5f9",
     button_border="#0c0e12", button_radius=10,
     button_hover_bg=gloss("#3b73b3", "#2d64a3", "#1d4f8a", "#2762a0"), button_hover_text="#ffffff",
     button_hover_border="#7fb8ff",
     button_pressed_bg=gloss("#173e72", "#13335e", "#0e2749", "#143560"), button_pressed_border="#4a9eff",
     button_disabled_bg="#262a32", button_disabled_text="#959cab", button_disabled_border="#353b46",
     button_default_border="#4a9eff",
     focus="#4a9eff",
     group_bg="#1d2129", group_border="#3a4150", group_title="#7ec3ff", group_radius=8,
     input_bg="#0f1116", input_border="#3f4656", input_radius=4, input_tone="light",
     readonly_bg="#171a21", input_disabled_bg="#1b1e25", input_disabled_text="#8f96a4",
     combo_bg=gloss("#3a414e", "#2c323c", "#1e222a", "#272c35"),
     view_alternate="#171a21", view_hover="#1f2a3a",
     selected_bg=vgrad("#2a6ab8", "#1b4f94"), selected_text="#ffffff",
     header_bg=gloss("#434a58", "#343a46", "#22262e", "#2b3039"), header_text="#e8ecf3",
     header_border="#0c0e12", header_hover_bg=gloss("#31659f", "#285890", "#1b4479", "#23528c"),
     header_tone="light",
     menu_bg="#1b1e25", menu_text="#e8ecf3", menu_border="#3f4656", menu_radius=6,
     menu_selected_bg=vgrad("#2a6ab8", "#1b4f94"), menu_selected_text="#ffffff",
     menu_disabled_text="#8f96a4", menu_separator="#343a46", menu_tone="light", menu_selected_tone="light",
     tab_style="classic", tab_radius=8, tab_accent="#4a9eff",
     tab_bg=vgrad("#262b34", "#1e222a"), tab_text="#dde3ec", tab_border="#3a4150",
     tab_hover_bg=vgrad("#3b4452", "#2a303a"), tab_hover_text="#ffffff",
     tab_selected_bg="#1d2129", tab_selected_text="#ffffff",
     slider_groove="#0b0d11", slider_groove_border="#3a4150",
     slider_fill=vgrad("#5ab0ff", "#1f6fd0"), slider_fill_border="#1b5cb0",
     slider_handle=gloss("#ffffff", "#e3e7ee", "#b9c0cc", "#d5dae3"), slider_handle_border="#0c0e12",
     slider_handle_hover=gloss("#ffffff", "#e5f1ff", "#b5d6ff", "#d2e6ff"),
     progress_bg="#0f1116", progress_border="#3f4656", progress_radius=7,
     progress_chunk=gloss("#3a78c4", "#2a6ab8", "#1b5299", "#2460a8"), progress_text="#ffffff",
     scroll_track="#14171d", scroll_arrows=False, scroll_radius=5, scroll_tone="light",
     scroll_handle="#3a414d", scroll_handle_border="#4b5262", scroll_handle_hover="#4a5466",
     status_bg=vgrad("#22262e", "#101217"), status_text="#ccd3de", status_border="#07080b",
     check_bg="#0f1116", check_border="#6a7282", check_checked_bg="#2a6ab8",
     check_checked_border="#4a9eff", check_tone="light", disabled_tone="light")

# skin4: the standard look of the 2001 desktop. Beige window, white-to-beige buttons with a navy rim,
# an orange rim under the pointer, blue selection, green block progress.
look(value="skin4", file="WinXP.qss", builtin=True, title="WinXP标准皮肤",
     description="beige window, navy-rimmed buttons with orange hover, green block progress",
     text="#000000", window_bg="#ece9d8", disabled_text="#5d5b50",
     toolbar_bg=vgrad("#fbfbf8", "#e6e2cf"), toolbar_text="#000000", toolbar_border="#c5c1ac",
     toolbar_hover_bg=vgrad("#ffffff", "#f1efe4"), toolbar_hover_border="#c0bca6",
     toolbar_pressed_bg=vgrad("#dedbcb", "#ebe8da"), toolbar_pressed_border="#9d9a8b", toolbar_tone="dark",
     button_bg=vgrad("#ffffff", "#f4f3ee", "#e3e0d0"), button_text="#000000", button_border="#003c74",
     button_radius=3,
     button_hover_bg=vgrad("#fffdf6", "#fbf1d8", "#f5dca2"), button_hover_border="#e59700",
     button_pressed_bg=vgrad("#e3e0d0", "#eeede5", "#f7f6f1"), button_pressed_border="#003c74",
     button_disabled_bg="#f4f3ee", button_disabled_text="#6b695e", button_disabled_border="#c9c7ba",
     button_default_border="#2f6ed1",
     focus="#316ac5",
     group_bg="#ece9d8", group_border="#d0d0bf", group_title="#0046d5", group_radius=4,
     input_bg="#ffffff", input_border="#7f9db9", input_radius=0, input_tone="dark",
     readonly_bg="#f4f3ee", input_disabled_bg="#f4f3ee", input_disabled_text="#6b695e",
     combo_button_bg=vgrad("#dbe6ff", "#b4c9f5"), combo_tone="dark",
     view_alternate="#f5f4ee", view_hover="#eef2fb",
     selected_bg="#316ac5", selected_text="#ffffff",
     header_bg=vgrad("#ffffff", "#ebeadb"), header_text="#000000", header_border="#d6d2c2",
     header_rule="3px", header_rule_colour="#e2decd", header_hover_bg=vgrad("#ffffff", "#faf5e2"),
     menu_bg="#ffffff", menu_text="#000000", menu_border="#aca899",
     menu_selected_bg="#316ac5", menu_selected_text="#ffffff",
     menu_disabled_text="#6b695e", menu_separator="#d6d2c2", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=3, tab_accent="#ffc83c",
     tab_bg=vgrad("#ffffff", "#ecebe5"), tab_text="#000000", tab_border="#919b9c",
     tab_hover_bg=vgrad("#ffffff", "#f7f2e0"),
     tab_selected_bg="#fcfcfe", tab_selected_text="#000000", pane_bg="#fcfcfe",
     slider_groove="#ecebe5", slider_groove_border="#9d9c99",
     slider_fill="#ecebe5", slider_fill_border="#9d9c99",
     slider_handle=vgrad("#ffffff", "#e3e0d0"), slider_handle_border="#1c5180", slider_handle_radius=2,
     slider_handle_hover=vgrad("#ffffff", "#f5dca2"),
     progress_bg="#ffffff", progress_border="#b2b2b2", progress_radius=3,
     progress_chunk=vgrad("#b5f0aa", "#3ccc3c", "#b5f0aa"), progress_text="#000000",
     progress_chunk_shape="    width: 8px;\n    margin: 1px;\n",
     scroll_track="#f7f6f1", scroll_arrows=True, scroll_radius=2, scroll_tone="dark",
     scroll_handle=vgrad("#d3e0fd", "#b9cbf3"), scroll_handle_border="#a3b8e8",
     scroll_handle_hover=vgrad("#e4edff", "#cbdafa"), scroll_button_bg=vgrad("#d3e0fd", "#b9cbf3"),
     status_bg="#ece9d8", status_text="#000000", status_border="#d5d2c0",
     tip_bg="#ffffe1", tip_text="#000000", tip_border="#000000",
     check_bg=vgrad("#dcdcd7", "#ffffff"), check_border="#1c5180", check_checked_bg=vgrad("#dcdcd7", "#ffffff"),
     check_tone="dark", disabled_tone="dark")

# skin5: Protein. Soft lilac and violet, rounded shapes, violet chips for the group titles.
look(value="skin5", file="Protein.qss", builtin=True, title="Protein样式皮肤",
     description="soft lilac with a violet band, rounded buttons and violet title chips",
     text="#23163f", window_bg=vgrad("#f4f1fb", "#e1dbf2"), disabled_text="#5e5478",
     toolbar_bg=vgrad("#553ca6", "#3b2682"), toolbar_text="#ffffff", toolbar_border="#2c1b66",
     toolbar_separator="#8f78d6",
     toolbar_hover_bg=vgrad("#f3eeff", "#ddd1fb"), toolbar_hover_text="#23163f",
     toolbar_hover_border="#c4b4f0",
     toolbar_pressed_bg=vgrad("#c7b5f5", "#d9cbfa"), toolbar_pressed_text="#23163f",
     toolbar_pressed_border="#9a86c9", toolbar_tone="light", toolbar_hover_tone="dark",
     button_bg=vgrad("#ffffff", "#e6ddf7"), button_text="#23163f", button_border="#9a86c9",
     button_radius=6,
     button_hover_bg=vgrad("#faf7ff", "#dccdfa"), button_hover_border="#6b4fbb",
     button_pressed_bg=vgrad("#cfbff2", "#e3d8fa"), button_pressed_border="#4a3296",
     button_disabled_bg="#f1edf8", button_disabled_text="#655b7e", button_disabled_border="#cfc5e6",
     button_default_border="#6b4fbb",
     focus="#6b4fbb",
     group_bg="#faf8ff", group_border="#c4b6e6", group_title="#ffffff", group_title_bg="#6b4fbb",
     group_radius=8,
     input_bg="#ffffff", input_border="#b3a3dc", input_radius=5, input_tone="dark",
     readonly_bg="#f6f3fc", input_disabled_bg="#f3f0f9", input_disabled_text="#655b7e",
     combo_button_bg=vgrad("#f3eeff", "#ddd1fb"),
     view_alternate="#f6f2fd", view_hover="#eee7fd",
     selected_bg=vgrad("#6b4fbb", "#5a3fa8"), selected_text="#ffffff",
     header_bg=vgrad("#f1ebfd", "#ddd2f5"), header_text="#23163f", header_border="#c4b6e6",
     header_hover_bg=vgrad("#faf7ff", "#e6dcfb"),
     menu_bg="#fcfbff", menu_text="#23163f", menu_border="#9a86c9", menu_radius=5,
     menu_selected_bg="#6b4fbb", menu_selected_text="#ffffff",
     menu_disabled_text="#6a6083", menu_separator="#e1d8f5", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=7,
     tab_bg=vgrad("#ece5fa", "#ddd3f5"), tab_text="#1d1236", tab_border="#b9a9e0",
     tab_hover_bg=vgrad("#f8f5ff", "#ebe4fc"),
     tab_selected_bg=vgrad("#7c61c9", "#6b4fbb"), tab_selected_text="#ffffff",
     pane_bg="#faf8ff",
     slider_groove="#ddd3f2", slider_groove_border="#b3a3dc",
     slider_fill=vgrad("#8b6fd6", "#6b4fbb"), slider_fill_border="#5a3fa8",
     slider_handle=vgrad("#ffffff", "#ece5fa"), slider_handle_border="#6b4fbb",
     slider_handle_hover=vgrad("#ffffff", "#ddd1fb"),
     progress_bg="#f3effb", progress_border="#b3a3dc", progress_radius=8,
     progress_chunk=vgrad("#cfc0f6", "#a891ea"), progress_text="#23163f",
     scroll_track="#efeaf9", scroll_arrows=False, scroll_radius=6, scroll_tone="dark",
     scroll_handle="#c9bce9", scroll_handle_border="#b3a3dc", scroll_handle_hover="#ab98de",
     status_bg=vgrad("#e6ddf7", "#d4c7ef"), status_text="#23163f", status_border="#b9a9e0",
     check_bg="#ffffff", check_border="#9a86c9", check_checked_bg="#6b4fbb",
     check_checked_border="#4a3296", check_tone="light", disabled_tone="dark", check_radius=4)

# skin6: dark slate blue with gold: gold on hover, gold selection, gold headings.
look(value="skin6", file="RealOne.sui", builtin=False, title="RealOne风格皮肤",
     tool_bg=vgrad("#f4f6fa", "#b9c2d3"), tool_text="#141b29", tool_border="#141b29",
     tool_hover_bg=vgrad("#fff6d6", "#ffd85c"), tool_hover_border="#a87e00",
     tool_pressed_bg=vgrad("#f2b705", "#ffd24a"),
     description="dark slate blue with gold hover, gold selection and a silver progress track",
     text="#eef2f9", window_bg=vgrad("#2c3851", "#1a2335"), disabled_text="#9ba6bb",
     toolbar_bg=vgrad("#324060", "#222c42"), toolbar_text="#ffffff", toolbar_border="#141b29",
     toolbar_separator="#56678a",
     toolbar_hover_bg=vgrad("#ffd85c", "#f2b705"), toolbar_hover_text="#1b1300",
     toolbar_hover_border="#a87e00",
     toolbar_pressed_bg=vgrad("#d69e00", "#e8ad00"), toolbar_pressed_text="#1b1300",
     toolbar_pressed_border="#8a6700", toolbar_tone="light", toolbar_hover_tone="dark",
     button_bg=vgrad("#485775", "#313c55"), button_text="#f5f7fb", button_border="#141b29",
     button_radius=4,
     button_hover_bg=vgrad("#ffd85c", "#f2b705"), button_hover_text="#1b1300", button_hover_border="#a87e00",
     button_pressed_bg=vgrad("#d69e00", "#e8ad00"), button_pressed_border="#8a6700",
     button_disabled_bg="#283147", button_disabled_text="#98a3b8", button_disabled_border="#3a4660",
     button_default_border="#f2b705",
     focus="#f2b705",
     group_bg="#222c40", group_border="#3d4a66", group_title="#ffcc33", group_radius=5,
     input_bg="#141b29", input_border="#4a5878", input_radius=3, input_tone="light",
     readonly_bg="#1b2333", input_disabled_bg="#1d2536", input_disabled_text="#929db2",
     combo_bg=vgrad("#313c55", "#242e44"),
     view_alternate="#1a2232", view_hover="#2b3650",
     selected_bg=vgrad("#ffd24a", "#f2b705"), selected_text="#1b1300",
     header_bg=vgrad("#3d4c6c", "#2b3750"), header_text="#ffdd66", header_border="#141b29",
     header_hover_bg=vgrad("#4a5b80", "#34425f"), header_tone="light",
     menu_bg="#1f283b", menu_text="#eef2f9", menu_border="#4a5878",
     menu_selected_bg=vgrad("#ffd24a", "#f2b705"), menu_selected_text="#1b1300",
     menu_disabled_text="#929db2", menu_separator="#3a4660", menu_tone="light", menu_selected_tone="dark",
     tab_style="classic", tab_radius=4, tab_accent="#f2b705",
     tab_bg=vgrad("#2e3a54", "#253049"), tab_text="#eaeef5", tab_border="#3d4a66",
     tab_hover_bg=vgrad("#44537a", "#34415e"), tab_hover_text="#ffffff",
     tab_selected_bg="#222c40", tab_selected_text="#ffcc33",
     slider_groove="#141b29", slider_groove_border="#4a5878",
     slider_fill=vgrad("#ffd24a", "#e0a800"), slider_fill_border="#a87e00",
     slider_handle=vgrad("#f4f6fa", "#b9c2d3"), slider_handle_border="#141b29",
     slider_handle_hover=vgrad("#fff6d6", "#ffd85c"),
     progress_bg=vgrad("#e4e8f0", "#c9d0dd"), progress_border="#141b29", progress_radius=3,
     progress_chunk=vgrad("#ffd85c", "#f0b000"), progress_text="#1b1300",
     scroll_track="#1a2232", scroll_arrows=True, scroll_radius=3, scroll_tone="light",
     scroll_handle=vgrad("#4a5878", "#3a4660"), scroll_handle_border="#141b29",
     scroll_handle_hover=vgrad("#5d6d90", "#4a5878"),
     status_bg=vgrad("#26324a", "#1a2335"), status_text="#d3dae8", status_border="#3d4a66",
     check_bg="#141b29", check_border="#6b7a9a", check_checked_bg="#f2b705",
     check_checked_border="#a87e00", check_tone="dark", disabled_tone="light")

# skin7: deep blue. Navy night with brighter blue buttons and cool light text.
look(value="skin7", file="DeepBlue.qss", builtin=True, title="深蓝色皮肤",
     tool_bg=vgrad("#e4ecfb", "#a9bfe6"), tool_text="#061230", tool_border="#0a1a3d",
     tool_hover_bg=vgrad("#ffffff", "#c7d8fb"), tool_hover_border="#5b9bff",
     tool_pressed_bg=vgrad("#9fb9e8", "#c7d8fb"),
     description="deep navy window, bright blue buttons, cool light text",
     text="#e6eeff", window_bg=vgrad("#0f2655", "#081634"), disabled_text="#93a6cc",
     toolbar_bg=vgrad("#1b3c7d", "#0f2856"), toolbar_text="#e6eeff", toolbar_border="#05102a",
     toolbar_separator="#2f56a0",
     toolbar_hover_bg=vgrad("#2f62c2", "#2452a8"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#6fa0ff",
     toolbar_pressed_bg=vgrad("#0a1d44", "#10295a"), toolbar_pressed_text="#ffffff",
     toolbar_pressed_border="#2f62c2", toolbar_tone="light",
     button_bg=vgrad("#24498f", "#183670"), button_text="#ffffff", button_border="#0a1a3d",
     button_radius=3,
     button_hover_bg=vgrad("#2f5cb0", "#21478f"), button_hover_border="#6fa0ff",
     button_pressed_bg=vgrad("#12295a", "#1b3b7a"), button_pressed_border="#5b9bff",
     button_disabled_bg="#14284f", button_disabled_text="#8ea2c8", button_disabled_border="#22386a",
     button_default_border="#5b9bff",
     focus="#5b9bff",
     group_bg="#0b1d44", group_border="#27458a", group_title="#8fb8ff", group_radius=4,
     input_bg="#061230", input_border="#2b4d94", input_radius=3, input_tone="light",
     readonly_bg="#0a1a3e", input_disabled_bg="#0c1b3d", input_disabled_text="#8699c0",
     combo_bg=vgrad("#183670", "#102a5c"),
     view_alternate="#0a1a3e", view_hover="#16306a",
     selected_bg=vgrad("#2d66d0", "#2458b8"), selected_text="#ffffff",
     header_bg=vgrad("#1f3f80", "#143066"), header_text="#e6eeff", header_border="#0a1a3d",
     header_hover_bg=vgrad("#2a519c", "#1c3d7c"), header_tone="light",
     menu_bg="#0b1d44", menu_text="#e6eeff", menu_border="#2b4d94",
     menu_selected_bg="#2a63cc", menu_selected_text="#ffffff",
     menu_disabled_text="#8699c0", menu_separator="#1f3a74", menu_tone="light", menu_selected_tone="light",
     tab_style="classic", tab_radius=3, tab_accent="#5b9bff",
     tab_bg=vgrad("#132c61", "#0f2757"), tab_text="#dfe8fb", tab_border="#27458a",
     tab_hover_bg=vgrad("#1f3f80", "#183670"), tab_hover_text="#ffffff",
     tab_selected_bg="#0b1d44", tab_selected_text="#ffffff",
     slider_groove="#061230", slider_groove_border="#27458a",
     slider_fill=vgrad("#5b9bff", "#2a63cc"), slider_fill_border="#1d4fa8",
     slider_handle=vgrad("#eef3ff", "#a9c0ea"), slider_handle_border="#0a1a3d",
     slider_handle_hover=vgrad("#ffffff", "#c7d8fb"),
     progress_bg="#061230", progress_border="#2b4d94", progress_radius=3,
     progress_chunk=vgrad("#2d64cc", "#1d479c"), progress_text="#ffffff",
     scroll_track="#081634", scroll_arrows=True, scroll_radius=2, scroll_tone="light",
     scroll_handle=vgrad("#24498f", "#1b3b7a"), scroll_handle_border="#0a1a3d",
     scroll_handle_hover=vgrad("#2f5cb0", "#24498f"),
     status_bg=vgrad("#0f2856", "#081634"), status_text="#c3d4f7", status_border="#1f3a74",
     check_bg="#061230", check_border="#5b7fc4", check_checked_bg="#2a63cc",
     check_checked_border="#5b9bff", check_tone="light", disabled_tone="light")

# skin8: blue glass. Pale sky window, glassy buttons whose lower half is a deeper blue.
look(value="skin8", file="BlueGlass.qss", builtin=True, title="蓝色玻璃皮肤",
     description="pale sky-blue window with glassy two-tone buttons and bars",
     text="#0b2742", window_bg=vgrad("#edf6ff", "#c7def6"), disabled_text="#4a5f76",
     toolbar_bg=gloss("#f4f9ff", "#dcebfb", "#bfd9f4", "#d4e7fa"), toolbar_text="#0b2742",
     toolbar_border="#7ea7d4",
     toolbar_hover_bg=gloss("#ffffff", "#eaf5ff", "#cde4fb", "#e3f0fd"), toolbar_hover_border="#5b8fd1",
     toolbar_pressed_bg=gloss("#a9cbee", "#bcd7f2", "#c9e0f6", "#d6e8fa"), toolbar_pressed_border="#3f78bf", toolbar_tone="dark",
     button_bg=gloss("#fbfdff", "#e3effc", "#c8dff7", "#dcebfb"), button_text="#0b2742",
     button_border="#6d9bd1", button_radius=4,
     button_hover_bg=gloss("#ffffff", "#eaf5ff", "#b9dcfb", "#d3eafd"), button_hover_border="#3b7dd8",
     button_pressed_bg=gloss("#b3d2f2", "#c3dbf4", "#cfe3f7", "#dfedfb"), button_pressed_border="#2f6ab5",
     button_disabled_bg="#eef4fb", button_disabled_text="#566a80", button_disabled_border="#b7cde6",
     button_default_border="#2f6ab5",
     focus="#3b7dd8",
     group_bg=vgrad("#f8fbff", "#e4effb"), group_border="#8fb5dd", group_title="#14538f", group_radius=6,
     input_bg="#ffffff", input_border="#8fb5dd", input_radius=3, input_tone="dark",
     readonly_bg="#f1f7fe", input_disabled_bg="#eef3f9", input_disabled_text="#566a80",
     combo_bg=gloss("#ffffff", "#f1f7fe", "#e2eefb", "#eef5fd"),
     combo_button_bg=gloss("#f4f9ff", "#dcebfb", "#bfd9f4", "#d4e7fa"),
     view_alternate="#eef6ff", view_hover="#e0eefc",
     selected_bg=vgrad("#2f6fb8", "#245a99"), selected_text="#ffffff",
     header_bg=gloss("#fbfdff", "#e8f2fc", "#d3e5f8", "#e2eefb"), header_text="#0b2742",
     header_border="#a9c6e6", header_hover_bg=gloss("#ffffff", "#eef7ff", "#d2e8fd", "#e6f2fe"),
     menu_bg="#f7fbff", menu_text="#0b2742", menu_border="#6d9bd1", menu_radius=3,
     menu_selected_bg=vgrad("#2f6fb8", "#245a99"), menu_selected_text="#ffffff",
     menu_disabled_text="#566a80", menu_separator="#c7dcf2", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=5,
     tab_bg=gloss("#f6faff", "#e2eefb", "#cbe0f6", "#dbeafa"), tab_text="#0b2742", tab_border="#8fb5dd",
     tab_hover_bg=gloss("#ffffff", "#eef7ff", "#d2e8fd", "#e6f2fe"),
     tab_selected_bg="#f8fbff", tab_selected_text="#0b2742", pane_bg="#f8fbff",
     slider_groove="#bcd6f0", slider_groove_border="#7ea7d4",
     slider_fill=vgrad("#6fb0f0", "#2f79c9"), slider_fill_border="#2f6ab5",
     slider_handle=gloss("#ffffff", "#f1f7fe", "#d5e7fa", "#e8f2fd"), slider_handle_border="#4f86c6",
     slider_handle_hover=gloss("#ffffff", "#eaf5ff", "#b9dcfb", "#d3eafd"),
     progress_bg="#f7fbff", progress_border="#6d9bd1", progress_radius=4,
     progress_chunk=gloss("#d7ecff", "#b4d8fb", "#8cc3f5", "#a9d2f8"), progress_text="#0b2742",
     scroll_track="#e4effb", scroll_arrows=True, scroll_radius=3, scroll_tone="dark",
     scroll_handle=gloss("#f1f7fe", "#dcebfb", "#c3dcf5", "#d4e6f9"), scroll_handle_border="#7ea7d4",
     scroll_handle_hover=gloss("#ffffff", "#eaf5ff", "#b9dcfb", "#d3eafd"),
     status_bg=gloss("#f4f9ff", "#dcebfb", "#c8dff7", "#d8e9fa"), status_text="#0b2742",
     status_border="#7ea7d4",
     check_bg="#ffffff", check_border="#6d9bd1", check_checked_bg=vgrad("#3d7fcc", "#2a64a8"),
     check_checked_border="#245a99", check_tone="light", disabled_tone="dark")

# skin9: the 2007 desktop. A dark glass command bar over a light body, grey glossy buttons that
# turn light blue under the pointer, light blue selection with dark text, a glossy green progress.
look(value="skin9", file="Longhorn.sui", builtin=False, title="Vista风格皮肤",
     description="dark glass command bar, light body, glossy grey buttons turning blue, green progress",
     text="#1e1e1e", window_bg="#eef1f5", disabled_text="#5f6266",
     toolbar_bg=gloss("#3c4e60", "#2b3e50", "#132232", "#1f3244"), toolbar_text="#ffffff",
     toolbar_border="#0d1822", toolbar_separator="#6a7f94",
     toolbar_hover_bg=gloss("#4b7397", "#3b6386", "#22496b", "#2f5678"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#8fc1ea",
     toolbar_pressed_bg=gloss("#1c3349", "#22405a", "#274a67", "#2d5475"), toolbar_pressed_text="#ffffff",
     toolbar_pressed_border="#5d8fb8", toolbar_tone="light",
     button_bg=gloss("#f4f4f4", "#ebebeb", "#dddddd", "#cfcfcf"), button_text="#1e1e1e",
     button_border="#707070", button_radius=3,
     button_hover_bg=gloss("#eaf6fd", "#d9f0fc", "#bee6fd", "#a7d9f5"), button_hover_border="#3c7fb1",
     button_pressed_bg=gloss("#e5f4fc", "#c4e5f6", "#98d1ef", "#68b3db"), button_pressed_text="#0c1a26",
     button_pressed_border="#2c628b",
     button_disabled_bg="#f4f4f4", button_disabled_text="#66696d", button_disabled_border="#adb2b5",
     button_default_border="#3399ff",
     focus="#3399ff",
     group_bg="#ffffff", group_border="#d5dfe5", group_title="#1e395b", group_radius=3,
     input_bg="#ffffff", input_border="#abadb3", input_hover_border="#7eb4ea", input_radius=2,
     input_tone="dark",
     readonly_bg="#f6f7f9", input_disabled_bg="#f4f4f4", input_disabled_text="#66696d",
     combo_bg=gloss("#f4f4f4", "#ebebeb", "#dddddd", "#d5d5d5"),
     view_alternate="#f5f9fd", view_hover="#e8f4fd",
     selected_bg=vgrad("#dcebfc", "#c1dbfc"), selected_text="#000000",
     header_bg=vgrad("#ffffff", "#f1f2f4"), header_text="#37475a", header_border="#d5d5d5",
     header_hover_bg=vgrad("#f3fbff", "#dff2fc"), header_pressed_bg=vgrad("#bce4f9", "#d8effb"),
     menu_bg="#f0f0f0", menu_text="#000000", menu_border="#979797", menu_radius=3,
     menu_selected_bg=vgrad("#eaf3fc", "#cfe3fa"), menu_selected_text="#000000",
     menu_disabled_text="#6d6d6d", menu_separator="#d7d7d7", menu_tone="dark", menu_selected_tone="dark",
     tab_style="classic", tab_radius=3,
     tab_bg=gloss("#f4f4f4", "#ebebeb", "#dddddd", "#cfcfcf"), tab_text="#1e1e1e", tab_border="#898c95",
     tab_hover_bg=gloss("#eaf6fd", "#d9f0fc", "#bee6fd", "#a7d9f5"),
     tab_selected_bg="#ffffff", tab_selected_text="#1e1e1e", pane_bg="#ffffff",
     slider_groove="#e7eaea", slider_groove_border="#b0b0b0",
     slider_fill="#e7eaea", slider_fill_border="#b0b0b0",
     slider_handle=gloss("#f4f4f4", "#e6e6e6", "#cfd8e0", "#dfe6ec"), slider_handle_border="#3c7fb1",
     slider_handle_radius=3, slider_handle_hover=gloss("#eaf6fd", "#d9f0fc", "#bee6fd", "#a7d9f5"),
     progress_bg=vgrad("#e6e6e6", "#f4f4f4"), progress_border="#bcbcbc", progress_radius=2,
     progress_chunk=gloss("#a9ec9c", "#74dd61", "#44c42c", "#66d451"), progress_text="#000000",
     scroll_track="#f0f0f0", scroll_arrows=True, scroll_radius=2, scroll_tone="dark",
     scroll_handle=gloss("#f4f4f4", "#e6e6e6", "#d7d7d7", "#dedede"), scroll_handle_border="#9d9d9d",
     scroll_handle_hover=gloss("#eaf6fd", "#d9f0fc", "#bee6fd", "#a7d9f5"),
     status_bg=vgrad("#f1f5fb", "#d9e4f2"), status_text="#1e1e1e", status_border="#b6c5d8",
     check_bg=vgrad("#e6e6e6", "#ffffff"), check_border="#8f8f8f", check_checked_bg=vgrad("#e6e6e6", "#ffffff"),
     check_checked_border="#3c7fb1", check_tone="dark", disabled_tone="dark", check_radius=2)

# skin10: deep green. A dark forest window with mint accents.
look(value="skin10", file="DeepGreen.sui", builtin=False, title="深绿色皮肤",
     tool_bg=vgrad("#eef8f2", "#a8cbb9"), tool_text="#07170f", tool_border="#07170f",
     tool_hover_bg=vgrad("#ffffff", "#c6f0da"), tool_hover_border="#4fd19a",
     tool_pressed_bg=vgrad("#9cc4b0", "#c6e6d6"),
     description="dark forest green with mint accents",
     text="#e6f4ec", window_bg=vgrad("#13392b", "#0a2119"), disabled_text="#8fb0a1",
     toolbar_bg=vgrad("#184a37", "#103428"), toolbar_text="#f2fbf6", toolbar_border="#06140f",
     toolbar_separator="#2f7a5c",
     toolbar_hover_bg=vgrad("#2f7d5e", "#246a4f"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#7fe0b0",
     toolbar_pressed_bg=vgrad("#0a2419", "#0f3022"), toolbar_pressed_text="#ffffff",
     toolbar_pressed_border="#3fa77a", toolbar_tone="light",
     button_bg=vgrad("#235b46", "#184636"), button_text="#ffffff", button_border="#07170f",
     button_radius=4,
     button_hover_bg=vgrad("#327a60", "#245f4a"), button_hover_border="#7fe0b0",
     button_pressed_bg=vgrad("#10352a", "#184636"), button_pressed_border="#4fd19a",
     button_disabled_bg="#16362a", button_disabled_text="#86a497", button_disabled_border="#245040",
     button_default_border="#4fd19a",
     focus="#4fd19a",
     group_bg="#0e2e22", group_border="#2a6a51", group_title="#7fe0b0", group_radius=5,
     input_bg="#071a13", input_border="#2f6a55", input_radius=3, input_tone="light",
     readonly_bg="#0b2419", input_disabled_bg="#0c2219", input_disabled_text="#82a595",
     combo_bg=vgrad("#184636", "#113a2c"),
     view_alternate="#0b2419", view_hover="#15402f",
     selected_bg=vgrad("#2a7556", "#216247"), selected_text="#ffffff",
     header_bg=vgrad("#1e5742", "#15402f"), header_text="#e6f4ec", header_border="#07170f",
     header_hover_bg=vgrad("#286b52", "#1c4f3c"), header_tone="light",
     menu_bg="#0e2e22", menu_text="#e6f4ec", menu_border="#2f6a55",
     menu_selected_bg="#2a7556", menu_selected_text="#ffffff",
     menu_disabled_text="#82a595", menu_separator="#1e4a3a", menu_tone="light", menu_selected_tone="light",
     tab_style="classic", tab_radius=4, tab_accent="#4fd19a",
     tab_bg=vgrad("#143e31", "#103428"), tab_text="#e0f3e9", tab_border="#2a6a51",
     tab_hover_bg=vgrad("#21604a", "#1a4d3b"), tab_hover_text="#ffffff",
     tab_selected_bg="#0e2e22", tab_selected_text="#ffffff",
     slider_groove="#071a13", slider_groove_border="#2a6a51",
     slider_fill=vgrad("#4fd19a", "#2a9d6c"), slider_fill_border="#1f7a53",
     slider_handle=vgrad("#effaf4", "#a8cbb9"), slider_handle_border="#07170f",
     slider_handle_hover=vgrad("#ffffff", "#c6f0da"),
     progress_bg="#071a13", progress_border="#2f6a55", progress_radius=3,
     progress_chunk=vgrad("#267553", "#1a5a3f"), progress_text="#ffffff",
     scroll_track="#0a2119", scroll_arrows=True, scroll_radius=3, scroll_tone="light",
     scroll_handle=vgrad("#2a6a51", "#1f5541"), scroll_handle_border="#07170f",
     scroll_handle_hover=vgrad("#358466", "#2a6a51"),
     status_bg=vgrad("#123a2c", "#0a2119"), status_text="#c3e6d4", status_border="#1e5742",
     check_bg="#071a13", check_border="#4a8c72", check_checked_bg="#2a7556",
     check_checked_border="#4fd19a", check_tone="light", disabled_tone="light")

# skin11: orange-red. A warm cream window framed by a burnt-orange band above and below.
look(value="skin11", file="DeepOrange.sui", builtin=False, title="桔红色皮肤",
     description="warm cream window between burnt-orange bands, peach buttons",
     text="#3a1a06", window_bg=vgrad("#fff6ee", "#fde1cc"), disabled_text="#735444",
     toolbar_bg=vgrad("#882d08", "#6a2204"), toolbar_text="#ffffff", toolbar_border="#5e1f04",
     toolbar_separator="#e07a45",
     toolbar_hover_bg=vgrad("#fff3e6", "#ffd9b5"), toolbar_hover_text="#3a1a06",
     toolbar_hover_border="#ffb877",
     toolbar_pressed_bg=vgrad("#ffb877", "#ffcf9e"), toolbar_pressed_text="#3a1a06",
     toolbar_pressed_border="#d9661f", toolbar_tone="light", toolbar_hover_tone="dark",
     button_bg=vgrad("#fff4ea", "#ffd8b8"), button_text="#3a1a06", button_border="#d9661f",
     button_radius=4,
     button_hover_bg=vgrad("#fff0dc", "#ffc48a"), button_hover_border="#b8420e",
     button_pressed_bg=vgrad("#ffb877", "#ffcf9e"), button_pressed_border="#9c3108",
     button_disabled_bg="#fbefe6", button_disabled_text="#7a5b4b", button_disabled_border="#e9c6ad",
     button_default_border="#b8420e",
     focus="#c94a14",
     group_bg="#fffaf5", group_border="#f0b48a", group_title="#b0400d", group_radius=6,
     input_bg="#ffffff", input_border="#e59a66", input_radius=3, input_tone="dark",
     readonly_bg="#fff6ee", input_disabled_bg="#fbf1e9", input_disabled_text="#7a5b4b",
     combo_button_bg=vgrad("#ffe7d1", "#ffc99b"),
     view_alternate="#fff5ec", view_hover="#ffeedd",
     selected_bg=vgrad("#c2460f", "#a83a0a"), selected_text="#ffffff",
     header_bg=vgrad("#fff0e0", "#fbd6b5"), header_text="#3a1a06", header_border="#f0b48a",
     header_hover_bg=vgrad("#fff8f0", "#ffe3c8"),
     menu_bg="#fffaf5", menu_text="#3a1a06", menu_border="#d9661f",
     menu_selected_bg="#b8420e", menu_selected_text="#ffffff",
     menu_disabled_text="#7a5b4b", menu_separator="#f5cfb3", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=5, tab_accent="#e8590c",
     tab_bg=vgrad("#fde7d4", "#fbd6b5"), tab_text="#4a2008", tab_border="#f0b48a",
     tab_hover_bg=vgrad("#fff6ee", "#ffe7d1"),
     tab_selected_bg="#fffaf5", tab_selected_text="#3a1a06",
     pane_bg="#fffaf5",
     slider_groove="#f6cfb0", slider_groove_border="#e59a66",
     slider_fill=vgrad("#ff8a3d", "#d9531a"), slider_fill_border="#b8420e",
     slider_handle=vgrad("#ffffff", "#ffe3cc"), slider_handle_border="#c94a14",
     slider_handle_hover=vgrad("#ffffff", "#ffc48a"),
     progress_bg="#fffaf5", progress_border="#e59a66", progress_radius=4,
     progress_chunk=vgrad("#ffbb7a", "#ff9148"), progress_text="#3a1a06",
     scroll_track="#fdebdc", scroll_arrows=True, scroll_radius=4, scroll_tone="dark",
     scroll_handle=vgrad("#f8c49e", "#f0aa78"), scroll_handle_border="#e08a55",
     scroll_handle_hover=vgrad("#f6b07f", "#eb9a61"), scroll_button_bg=vgrad("#fde3cc", "#f8c49e"),
     status_bg=vgrad("#882d08", "#6a2204"), status_text="#ffffff", status_border="#5e1f04",
     check_bg="#ffffff", check_border="#d9661f", check_checked_bg="#b8420e",
     check_checked_border="#9c3108", check_tone="light", disabled_tone="dark")

# skin12: green glass. Pale mint window with glassy green buttons and bars.
look(value="skin12", file="GreenGlass.sui", builtin=False, title="绿色玻璃皮肤",
     description="pale mint window with glassy two-tone green buttons and bars",
     text="#0c3315", window_bg=vgrad("#f0fbf1", "#cbead0"), disabled_text="#4b6651",
     toolbar_bg=gloss("#f4fcf4", "#dcf2df", "#bfe6c5", "#d4efd8"), toolbar_text="#0c3315",
     toolbar_border="#7fc08a",
     toolbar_hover_bg=gloss("#ffffff", "#eefbef", "#cdeed2", "#e3f6e6"), toolbar_hover_border="#4caf5c",
     toolbar_pressed_bg=gloss("#b0dfb8", "#c1e6c7", "#cdebd1", "#dcf2df"), toolbar_pressed_border="#2e9a44", toolbar_tone="dark",
     button_bg=gloss("#fbfffb", "#e4f6e6", "#c6eacb", "#dbf2de"), button_text="#0c3315",
     button_border="#6fb47b", button_radius=4,
     button_hover_bg=gloss("#ffffff", "#eefbef", "#b8e8c0", "#d3f3d8"), button_hover_border="#2e9a44",
     button_pressed_bg=gloss("#b0dfb8", "#c1e6c7", "#cdebd1", "#dcf2df"), button_pressed_border="#2a7f3a",
     button_disabled_bg="#eff7f0", button_disabled_text="#526b57", button_disabled_border="#bcdcc2",
     button_default_border="#2a7f3a",
     focus="#2e9a44",
     group_bg=vgrad("#f8fef8", "#e6f5e8"), group_border="#9ccfa4", group_title="#1d6a2c", group_radius=6,
     input_bg="#ffffff", input_border="#9ccfa4", input_radius=3, input_tone="dark",
     readonly_bg="#f3fbf4", input_disabled_bg="#f0f6f1", input_disabled_text="#526b57",
     combo_bg=gloss("#ffffff", "#f3fbf4", "#e3f4e5", "#eef9ef"),
     combo_button_bg=gloss("#f4fcf4", "#dcf2df", "#bfe6c5", "#d4efd8"),
     view_alternate="#f0faf1", view_hover="#e2f5e5",
     selected_bg=vgrad("#2b7d3b", "#226a31"), selected_text="#ffffff",
     header_bg=gloss("#fbfffb", "#e8f7ea", "#d2eed6", "#e2f5e4"), header_text="#0c3315",
     header_border="#a9d6b0", header_hover_bg=gloss("#ffffff", "#f0fbf1", "#d6f2da", "#e8f8ea"),
     menu_bg="#f8fef8", menu_text="#0c3315", menu_border="#6fb47b", menu_radius=3,
     menu_selected_bg=vgrad("#2b7d3b", "#226a31"), menu_selected_text="#ffffff",
     menu_disabled_text="#526b57", menu_separator="#c6e6cb", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=5,
     tab_bg=gloss("#f6fdf6", "#e2f5e4", "#cbebcf", "#dbf2de"), tab_text="#0c3315", tab_border="#9ccfa4",
     tab_hover_bg=gloss("#ffffff", "#f0fbf1", "#d6f2da", "#e8f8ea"),
     tab_selected_bg="#f8fef8", tab_selected_text="#0c3315", pane_bg="#f8fef8",
     slider_groove="#c3e3c8", slider_groove_border="#7fc08a",
     slider_fill=vgrad("#7ad48a", "#2e9a44"), slider_fill_border="#2a7f3a",
     slider_handle=gloss("#ffffff", "#f3fbf4", "#d6efda", "#e8f7ea"), slider_handle_border="#3f9a50",
     slider_handle_hover=gloss("#ffffff", "#eefbef", "#b8e8c0", "#d3f3d8"),
     progress_bg="#f8fef8", progress_border="#6fb47b", progress_radius=4,
     progress_chunk=gloss("#d8f7dc", "#b6edbf", "#8fdc9c", "#a9e8b3"), progress_text="#0c3315",
     scroll_track="#e6f5e8", scroll_arrows=True, scroll_radius=3, scroll_tone="dark",
     scroll_handle=gloss("#f3fbf4", "#dcf2df", "#c0e6c6", "#d3eed7"), scroll_handle_border="#7fc08a",
     scroll_handle_hover=gloss("#ffffff", "#eefbef", "#b8e8c0", "#d3f3d8"),
     status_bg=gloss("#f4fcf4", "#dcf2df", "#c6eacb", "#d7f0db"), status_text="#0c3315",
     status_border="#7fc08a",
     check_bg="#ffffff", check_border="#6fb47b", check_checked_bg=vgrad("#35914a", "#226a31"),
     check_checked_border="#226a31", check_tone="light", disabled_tone="dark")

# skin13: fashion blue. Flat and modern: white cards, solid blue buttons, underlined tabs.
look(value="skin13", file="OneBlue.sui", builtin=False, title="时尚蓝色blue皮肤",
     tool_bg="#ffffff", tool_text="#0b3f80", tool_border="#c3d0e0",
     tool_disabled_bg="#ffffff", tool_disabled_text="#65758a",
     tool_hover_bg="#e3eefb", tool_hover_border="#1565c0", tool_pressed_bg="#c9dcf5",
     description="flat modern white and solid blue, underlined tabs, slim scroll bars",
     text="#172b4d", window_bg="#f1f5fa", disabled_text="#55657a",
     toolbar_bg="#0b4a99", toolbar_text="#ffffff", toolbar_border="#083a7a", toolbar_separator="#3a72bc",
     toolbar_hover_bg="#083c7e", toolbar_hover_text="#ffffff",
     toolbar_pressed_bg="#062f63", toolbar_pressed_text="#ffffff", toolbar_tone="light",
     button_bg="#0f5bb5", button_text="#ffffff", button_border="#0f5bb5",
     button_radius=4, button_weight="bold",
     button_hover_bg="#1565c0", button_hover_border="#1565c0",
     button_pressed_bg="#0b4393", button_pressed_border="#0b4393",
     button_disabled_bg="#e3e9f1", button_disabled_text="#55657a", button_disabled_border="#e3e9f1",
     button_default_border="#8fc1ff",
     focus="#1565c0",
     group_bg="#ffffff", group_border="#d6e0ec", group_title="#0f5bb5", group_radius=6,
     input_bg="#ffffff", input_border="#c3d0e0", input_radius=4, input_tone="dark",
     readonly_bg="#eef2f7", input_disabled_bg="#eef2f7", input_disabled_text="#5a6a80",
     combo_button_bg="transparent",
     view_alternate="#f4f8fc", view_hover="#e3eefb",
     selected_bg="#1565c0", selected_text="#ffffff",
     header_bg="#e8eff8", header_text="#172b4d", header_border="#d6e0ec", header_weight="bold",
     header_hover_bg="#dbe7f5",
     menu_bg="#ffffff", menu_text="#172b4d", menu_border="#c3d0e0",
     menu_selected_bg="#1565c0", menu_selected_text="#ffffff",
     menu_disabled_text="#5e6e84", menu_separator="#e3e9f1", menu_tone="dark", menu_selected_tone="light",
     tab_style="underline", tab_radius=0, tab_accent="#1565c0",
     tab_bg="#f1f5fa", tab_text="#172b4d", tab_border="#d6e0ec",
     tab_hover_bg="#e3eefb", tab_hover_text="#172b4d",
     tab_selected_bg="#ffffff", tab_selected_text="#0f5bb5", pane_bg="#ffffff",
     slider_groove="#d6e0ec", slider_groove_border="#d6e0ec",
     slider_fill="#1565c0", slider_fill_border="#1565c0",
     slider_handle="#ffffff", slider_handle_border="#1565c0",
     slider_handle_hover="#e3eefb",
     progress_bg="#e3ebf5", progress_border="#e3ebf5", progress_radius=4,
     progress_chunk="#6aaaf0", progress_text="#172b4d",
     scroll_track="#f1f5fa", scroll_arrows=False, scroll_radius=4, scroll_tone="dark",
     scroll_handle="#c3d0e0", scroll_handle_border="#c3d0e0", scroll_handle_hover="#9fb3cc",
     status_bg="#ffffff", status_text="#172b4d", status_border="#d6e0ec",
     check_bg="#ffffff", check_border="#8da2bd", check_checked_bg="#1565c0",
     check_checked_border="#1565c0", check_tone="light", disabled_tone="dark")

# skin14: fashion cyan. Flat teal and white with outlined pill buttons and pill tabs.
look(value="skin14", file="OneCyan.sui", builtin=False, title="时尚的Cyan皮肤",
     tool_pressed_bg="#b8e9ee",
     description="flat teal and white, outlined pill buttons, pill tabs",
     text="#0b3a40", window_bg="#effafb", disabled_text="#4f6e72",
     toolbar_bg="#00525a", toolbar_text="#ffffff", toolbar_border="#00474d", toolbar_separator="#2f868e",
     toolbar_hover_bg="#004a51", toolbar_hover_text="#ffffff", toolbar_hover_border="#7fdbe3",
     toolbar_pressed_bg="#00393e", toolbar_pressed_text="#ffffff", toolbar_tone="light",
     button_bg="#ffffff", button_text="#003f44", button_border="#00a5b5",
     button_radius=13, button_weight="bold",
     button_hover_bg="#dff6f8", button_hover_text="#00363a", button_hover_border="#00737d",
     button_pressed_bg="#00737d", button_pressed_text="#ffffff", button_pressed_border="#00737d",
     button_disabled_bg="#eef5f6", button_disabled_text="#52716f", button_disabled_border="#c5dfe2",
     button_default_border="#00737d",
     focus="#00a5b5",
     group_bg="#ffffff", group_border="#b2e5ea", group_title="#00737d", group_radius=10,
     input_bg="#ffffff", input_border="#9fd8de", input_radius=6, input_tone="dark",
     readonly_bg="#f2fbfc", input_disabled_bg="#eef5f6", input_disabled_text="#52716f",
     view_alternate="#f2fbfc", view_hover="#dff6f8",
     selected_bg="#00737d", selected_text="#ffffff",
     header_bg="#e0f5f7", header_text="#0b3a40", header_border="#b2e5ea", header_hover_bg="#ccf0f3",
     menu_bg="#ffffff", menu_text="#0b3a40", menu_border="#9fd8de", menu_radius=6,
     menu_selected_bg="#00737d", menu_selected_text="#ffffff",
     menu_disabled_text="#56767a", menu_separator="#d5eff2", menu_tone="dark", menu_selected_tone="light",
     tab_style="pill", tab_radius=12,
     tab_bg="#e0f5f7", tab_text="#0b3a40", tab_border="#b2e5ea",
     tab_hover_bg="#c8eef2",
     tab_selected_bg="#00737d", tab_selected_text="#ffffff", pane_bg="#ffffff",
     slider_groove="#c8eef2", slider_groove_border="#c8eef2",
     slider_fill="#00a5b5", slider_fill_border="#00a5b5",
     slider_handle="#ffffff", slider_handle_border="#00a5b5",
     slider_handle_hover="#dff6f8",
     progress_bg="#e0f5f7", progress_border="#b2e5ea", progress_radius=8,
     progress_chunk=vgrad("#5dd5e0", "#1fbccb"), progress_text="#0b3a40",
     scroll_track="#effafb", scroll_arrows=False, scroll_radius=5, scroll_tone="dark",
     scroll_handle="#a6dce2", scroll_handle_border="#a6dce2", scroll_handle_hover="#6cc5ce",
     status_bg="#e0f5f7", status_text="#0b3a40", status_border="#b2e5ea",
     check_bg="#ffffff", check_border="#4fb8c2", check_checked_bg="#00737d",
     check_checked_border="#00737d", check_tone="light", disabled_tone="dark", check_radius=4)

# skin15: sports black. Carbon black with a racing-red line, red action and bold white type.
look(value="skin15", file="SportsBlack.sui", builtin=False, title="运动黑色皮肤",
     tool_bg=vgrad("#f0f0f0", "#b5b5b5"), tool_text="#0d0d0d", tool_border="#000000",
     tool_hover_bg=vgrad("#ffffff", "#ffb3ad"), tool_hover_border="#e10600",
     tool_pressed_bg=vgrad("#c9c9c9", "#e6e6e6"),
     description="carbon black with racing-red lines and hover, bold white buttons",
     text="#f2f2f2", window_bg=vgrad("#1c1c1c", "#0d0d0d"), disabled_text="#8f8f8f",
     toolbar_bg=vgrad("#2d2d2d", "#121212"), toolbar_text="#f2f2f2", toolbar_border="#e10600",
     toolbar_rule="2px", toolbar_separator="#444444",
     toolbar_hover_bg=vgrad("#d80500", "#b00400"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#ff4a3d",
     toolbar_pressed_bg="#7a0300", toolbar_pressed_text="#ffffff", toolbar_pressed_border="#e10600", toolbar_tone="light",
     button_bg=vgrad("#3a3a3a", "#1e1e1e"), button_text="#ffffff", button_border="#555555",
     button_radius=2, button_weight="bold",
     button_hover_bg=vgrad("#d00500", "#a30400"), button_hover_border="#ff3b30",
     button_pressed_bg=vgrad("#7a0300", "#950400"), button_pressed_border="#e10600",
     button_disabled_bg="#222222", button_disabled_text="#8c8c8c", button_disabled_border="#333333",
     button_default_border="#e10600",
     focus="#e10600",
     group_bg="#161616", group_border="#333333", group_title="#ffffff", group_title_bg="#c40500",
     group_radius=2,
     input_bg="#0a0a0a", input_border="#3d3d3d", input_radius=2, input_tone="light",
     readonly_bg="#121212", input_disabled_bg="#151515", input_disabled_text="#8a8a8a",
     combo_bg=vgrad("#2d2d2d", "#1a1a1a"), combo_button_bg="#c40500",
     view_alternate="#141414", view_hover="#262626",
     selected_bg="#c8102e", selected_text="#ffffff",
     header_bg=vgrad("#2d2d2d", "#1a1a1a"), header_text="#ffffff", header_border="#3d3d3d",
     header_rule="2px", header_rule_colour="#c40500", header_weight="bold",
     header_hover_bg=vgrad("#3a3a3a", "#262626"), header_tone="light",
     menu_bg="#141414", menu_text="#f2f2f2", menu_border="#3d3d3d",
     menu_selected_bg="#c8102e", menu_selected_text="#ffffff",
     menu_disabled_text="#8a8a8a", menu_separator="#2e2e2e", menu_tone="light", menu_selected_tone="light",
     tab_style="classic", tab_radius=2, tab_accent="#e10600",
     tab_bg=vgrad("#2a2a2a", "#1e1e1e"), tab_text="#d4d4d4", tab_border="#333333",
     tab_hover_bg=vgrad("#383838", "#2a2a2a"), tab_hover_text="#ffffff",
     tab_selected_bg="#161616", tab_selected_text="#ffffff",
     slider_groove="#2a2a2a", slider_groove_border="#444444",
     slider_fill="#e10600", slider_fill_border="#e10600",
     slider_handle=vgrad("#ffffff", "#cfcfcf"), slider_handle_border="#000000", slider_handle_radius=2,
     slider_handle_hover=vgrad("#ffffff", "#ffb3ad"),
     progress_bg="#0a0a0a", progress_border="#3d3d3d", progress_radius=2,
     progress_chunk=vgrad("#c40500", "#8f0300"), progress_text="#ffffff",
     scroll_track="#111111", scroll_arrows=False, scroll_radius=2, scroll_tone="light",
     scroll_handle="#3a3a3a", scroll_handle_border="#3a3a3a", scroll_handle_hover="#c40500",
     status_bg="#0d0d0d", status_text="#d4d4d4", status_border="#e10600", status_rule="2px",
     check_bg="#0a0a0a", check_border="#6a6a6a", check_checked_bg="#c8102e",
     check_checked_border="#ff3b30", check_tone="light", disabled_tone="light", check_radius=2)

# skin16: the olive-green variant of the 2001 desktop: olive bars and rims, orange hover,
# olive selection and green block progress.
look(value="skin16", file="xpgreen.sui", builtin=False, title="XP绿色皮肤",
     description="olive-beige window, olive bars and rims, orange hover, green blocks",
     text="#1b1f12", window_bg="#eeeddc", disabled_text="#5a5c48",
     toolbar_bg=vgrad("#e4ebc8", "#b8c68f"), toolbar_text="#1b1f12", toolbar_border="#8a9a5b",
     toolbar_hover_bg=vgrad("#fffbe8", "#fbe8b0"), toolbar_hover_border="#e8a530",
     toolbar_pressed_bg=vgrad("#c5d19c", "#d8e1b8"), toolbar_pressed_border="#6e7f45", toolbar_tone="dark",
     button_bg=vgrad("#ffffff", "#f2f3e4", "#dfe3c6"), button_text="#1b1f12", button_border="#5b6e2e",
     button_radius=3,
     button_hover_bg=vgrad("#fffdf3", "#fbf1d5", "#f3dc9d"), button_hover_border="#e39a1e",
     button_pressed_bg=vgrad("#dfe3c6", "#eceedd", "#f7f8ef"), button_pressed_border="#5b6e2e",
     button_disabled_bg="#f4f4ea", button_disabled_text="#66685a", button_disabled_border="#c9cbb3",
     button_default_border="#6e8b3d",
     focus="#6e8b3d",
     group_bg="#f4f4e6", group_border="#b7c29a", group_title="#46621a", group_radius=4,
     input_bg="#ffffff", input_border="#a4b27a", input_radius=0, input_tone="dark",
     readonly_bg="#f6f6ec", input_disabled_bg="#f4f4ea", input_disabled_text="#66685a",
     combo_button_bg=vgrad("#edf2d6", "#cdd8a8"),
     view_alternate="#f6f7ea", view_hover="#eef2dc",
     selected_bg="#56722a", selected_text="#ffffff",
     header_bg=vgrad("#ffffff", "#e6e9cf"), header_text="#1b1f12", header_border="#b7c29a",
     header_rule="3px", header_rule_colour="#d4dbb6", header_hover_bg=vgrad("#ffffff", "#faf3dc"),
     menu_bg="#fdfdf7", menu_text="#1b1f12", menu_border="#8a9a5b",
     menu_selected_bg="#56722a", menu_selected_text="#ffffff",
     menu_disabled_text="#66685a", menu_separator="#d4dbb6", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=3, tab_accent="#e8a530",
     tab_bg=vgrad("#ffffff", "#ecedda"), tab_text="#1b1f12", tab_border="#a4b27a",
     tab_hover_bg=vgrad("#ffffff", "#f7f2dc"),
     tab_selected_bg="#fcfcf6", tab_selected_text="#1b1f12", pane_bg="#fcfcf6",
     slider_groove="#e0e3cc", slider_groove_border="#a4b27a",
     slider_fill="#e0e3cc", slider_fill_border="#a4b27a",
     slider_handle=vgrad("#ffffff", "#d4dab8"), slider_handle_border="#5b6e2e", slider_handle_radius=2,
     slider_handle_hover=vgrad("#ffffff", "#f3dc9d"),
     progress_bg="#ffffff", progress_border="#a4b27a", progress_radius=3,
     progress_chunk=vgrad("#d9eeaf", "#93c447", "#d9eeaf"), progress_text="#1b1f12",
     progress_chunk_shape="    width: 8px;\n    margin: 1px;\n",
     scroll_track="#f7f7ef", scroll_arrows=True, scroll_radius=2, scroll_tone="dark",
     scroll_handle=vgrad("#e3ead0", "#cdd8ab"), scroll_handle_border="#a4b27a",
     scroll_handle_hover=vgrad("#eef3de", "#dce4bf"), scroll_button_bg=vgrad("#e3ead0", "#cdd8ab"),
     status_bg="#eeeddc", status_text="#1b1f12", status_border="#c9cfb0",
     tip_bg="#ffffe1", tip_text="#000000", tip_border="#000000",
     check_bg=vgrad("#dcdcd3", "#ffffff"), check_border="#5b6e2e", check_checked_bg=vgrad("#dcdcd3", "#ffffff"),
     check_tone="dark", disabled_tone="dark")

# skin17: royale. A silver body under a glossy royal-blue bar, green under the pointer.
look(value="skin17", file="royale.sui", builtin=False, title="Royale",
     description="silver body under glossy royal-blue bars, green hover on the bar, green progress",
     text="#141a2e", window_bg=vgrad("#f5f5f8", "#e0e1e9"), disabled_text="#575c6e",
     toolbar_bg=gloss("#234a94", "#1b3f86", "#112b6a", "#17387c"), toolbar_text="#ffffff",
     toolbar_border="#0f2c6e", toolbar_separator="#5a82d8",
     toolbar_hover_bg=gloss("#2a7d27", "#226f1f", "#185a15", "#1f6a1c"), toolbar_hover_text="#ffffff",
     toolbar_hover_border="#7fd67a",
     toolbar_pressed_bg=gloss("#142f6e", "#183a80", "#1b4290", "#2050a8"), toolbar_pressed_text="#ffffff",
     toolbar_pressed_border="#8fb0ff", toolbar_tone="light",
     button_bg=gloss("#ffffff", "#f0f1f5", "#dcdee8", "#e9eaf0"), button_text="#141a2e",
     button_border="#7d86a3", button_radius=3,
     button_hover_bg=gloss("#ffffff", "#eef3ff", "#d3def8", "#e4ebfb"), button_hover_border="#2b58b5",
     button_pressed_bg=gloss("#c9d3ec", "#d3dbef", "#dbe2f2", "#e6ebf6"), button_pressed_border="#1b45a3",
     button_disabled_bg="#f1f1f5", button_disabled_text="#5e6275", button_disabled_border="#c5c8d4",
     button_default_border="#2b58b5",
     focus="#2b58b5",
     group_bg="#fafafc", group_border="#b8bccb", group_title="#1b45a3", group_radius=5,
     input_bg="#ffffff", input_border="#9aa2bd", input_radius=2, input_tone="dark",
     readonly_bg="#f5f5f9", input_disabled_bg="#f1f1f5", input_disabled_text="#5e6275",
     combo_bg=gloss("#ffffff", "#f5f6f9", "#e8eaf1", "#f1f2f6"),
     combo_button_bg=gloss("#3d6bc9", "#2b58b5", "#183d92", "#2450a8"), combo_tone="light",
     view_alternate="#f3f4f8", view_hover="#e8edfa",
     selected_bg=vgrad("#2b58b5", "#1b45a3"), selected_text="#ffffff",
     header_bg=gloss("#ffffff", "#f0f1f5", "#dcdee8", "#e9eaf0"), header_text="#141a2e",
     header_border="#b8bccb", header_hover_bg=gloss("#ffffff", "#eef3ff", "#d3def8", "#e4ebfb"),
     menu_bg="#fbfbfd", menu_text="#141a2e", menu_border="#7d86a3",
     menu_selected_bg=vgrad("#2b58b5", "#1b45a3"), menu_selected_text="#ffffff",
     menu_disabled_text="#5e6275", menu_separator="#d5d8e2", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=4, tab_accent="#2b58b5",
     tab_bg=gloss("#ffffff", "#f0f1f5", "#dcdee8", "#e9eaf0"), tab_text="#141a2e", tab_border="#9aa2bd",
     tab_hover_bg=gloss("#ffffff", "#eef3ff", "#d3def8", "#e4ebfb"),
     tab_selected_bg="#fafafc", tab_selected_text="#141a2e", pane_bg="#fafafc",
     slider_groove="#cfd3e0", slider_groove_border="#9aa2bd",
     slider_fill=vgrad("#5a82d8", "#2b58b5"), slider_fill_border="#1b45a3",
     slider_handle=gloss("#ffffff", "#f0f1f5", "#d5d8e4", "#e6e8ef"), slider_handle_border="#4a5a8a",
     slider_handle_hover=gloss("#ffffff", "#eef3ff", "#d3def8", "#e4ebfb"),
     progress_bg="#fafafc", progress_border="#7d86a3", progress_radius=3,
     progress_chunk=gloss("#c3eeba", "#9fe192", "#6fcc5f", "#8fd880"), progress_text="#141a2e",
     scroll_track="#ebecf1", scroll_arrows=True, scroll_radius=3, scroll_tone="dark",
     scroll_handle=gloss("#f1f4fb", "#e1e7f6", "#c9d3ec", "#d7def1"), scroll_handle_border="#8d98b8",
     scroll_handle_hover=gloss("#ffffff", "#eef3ff", "#d3def8", "#e4ebfb"),
     status_bg=gloss("#3d6bc9", "#2b58b5", "#183d92", "#2450a8"), status_text="#ffffff",
     status_border="#0f2c6e",
     check_bg="#ffffff", check_border="#7d86a3", check_checked_bg="#2b58b5",
     check_checked_border="#1b45a3", check_tone="light", disabled_tone="dark")

# skin18: winter. Snow white and ice blue, soft rounded frost.
look(value="skin18", file="winter.sui", builtin=False, title="冬天的色彩皮肤",
     description="snow white and ice blue, soft rounded frosty shapes",
     text="#16324f", window_bg=vgrad("#fbfdff", "#dfecf7"), disabled_text="#4f6479",
     toolbar_bg=vgrad("#ffffff", "#d9e9f6"), toolbar_text="#16324f", toolbar_border="#b5d3ea",
     toolbar_hover_bg=vgrad("#ffffff", "#e6f3fd"), toolbar_hover_border="#7fb8e0",
     toolbar_pressed_bg=vgrad("#c9e1f4", "#deedf8"), toolbar_pressed_border="#5aa9e6", toolbar_tone="dark",
     button_bg=vgrad("#ffffff", "#e4f0fa"), button_text="#16324f", button_border="#a9cbe6",
     button_radius=9,
     button_hover_bg=vgrad("#ffffff", "#d6ebfb"), button_hover_border="#5aa9e6",
     button_pressed_bg=vgrad("#c9e1f4", "#e3f0fa"), button_pressed_border="#3f8fcf",
     button_disabled_bg="#f2f6fa", button_disabled_text="#56697d", button_disabled_border="#d3e2ee",
     button_default_border="#3f8fcf",
     focus="#5aa9e6",
     group_bg="#ffffff", group_border="#cfe2f1", group_title="#1f6384", group_radius=10,
     input_bg="#ffffff", input_border="#b8d5eb", input_radius=6, input_tone="dark",
     readonly_bg="#f3f8fc", input_disabled_bg="#f2f6fa", input_disabled_text="#56697d",
     view_alternate="#f4f9fd", view_hover="#e6f2fb",
     selected_bg=vgrad("#2f7394", "#245f7d"), selected_text="#ffffff",
     header_bg=vgrad("#ffffff", "#e6f1fa"), header_text="#16324f", header_border="#cfe2f1",
     header_hover_bg=vgrad("#ffffff", "#d9ebf9"),
     menu_bg="#ffffff", menu_text="#16324f", menu_border="#b8d5eb", menu_radius=6,
     menu_selected_bg=vgrad("#2f7394", "#245f7d"), menu_selected_text="#ffffff",
     menu_disabled_text="#56697d", menu_separator="#e1edf6", menu_tone="dark", menu_selected_tone="light",
     tab_style="classic", tab_radius=8,
     tab_bg=vgrad("#f1f7fc", "#e1eef8"), tab_text="#16324f", tab_border="#cfe2f1",
     tab_hover_bg=vgrad("#ffffff", "#eef6fc"),
     tab_selected_bg="#ffffff", tab_selected_text="#16324f", pane_bg="#ffffff",
     slider_groove="#d6e8f5", slider_groove_border="#b8d5eb",
     slider_fill=vgrad("#a9d4f5", "#5aa9e6"), slider_fill_border="#5aa9e6",
     slider_handle=vgrad("#ffffff", "#eaf4fc"), slider_handle_border="#7fb8e0",
     slider_handle_hover=vgrad("#ffffff", "#d6ebfb"),
     progress_bg="#f4f9fd", progress_border="#b8d5eb", progress_radius=8,
     progress_chunk=vgrad("#d5ecfc", "#9fd0f5"), progress_text="#16324f",
     scroll_track="#f4f9fd", scroll_arrows=False, scroll_radius=5, scroll_tone="dark",
     scroll_handle="#cfe2f1", scroll_handle_border="#cfe2f1", scroll_handle_hover="#a9cbe6",
     status_bg=vgrad("#f4f9fd", "#dcebf7"), status_text="#16324f", status_border="#cfe2f1",
     check_bg="#ffffff", check_border="#8fbde0", check_checked_bg="#2f7394",
     check_checked_border="#245f7d", check_tone="light", disabled_tone="dark", check_radius=4)


# --- checks and output ----------------------------------------------------------------------------

def readable_pairs(p):
    """(what, text colour, background) for every text the template draws."""
    title_bgs = [p["group_title_bg"]] if p["group_title_bg"] != "transparent" else [p["window_bg"], p["group_bg"]]
    pairs = [
        ("window text", p["text"], p["window_bg"]), ("group text", p["text"], p["group_bg"]),
        ("pane text", p["text"], p["pane_bg"]),
        ("disabled label", p["disabled_text"], p["window_bg"]),
        ("disabled label in group", p["disabled_text"], p["group_bg"]),
        ("toolbar", p["toolbar_text"], p["toolbar_bg"]),
        ("toolbar hover", p["toolbar_hover_text"], p["toolbar_hover_bg"]),
        ("toolbar pressed", p["toolbar_pressed_text"], p["toolbar_pressed_bg"]),
        ("toolbar disabled", p["toolbar_disabled_text"], p["toolbar_bg"]),
        ("button", p["button_text"], p["button_bg"]),
        ("button hover", p["button_hover_text"], p["button_hover_bg"]),
        ("button pressed", p["button_pressed_text"], p["button_pressed_bg"]),
        ("button disabled", p["button_disabled_text"], p["button_disabled_bg"]),
        ("tool button", p["tool_text"], p["tool_bg"]),
        ("tool button hover", p["tool_text"], p["tool_hover_bg"]),
        ("tool button pressed", p["tool_text"], p["tool_pressed_bg"]),
        ("tool button disabled", p["tool_disabled_text"], p["tool_disabled_bg"]),
        ("input", p["input_text"], p["input_bg"]), ("read-only", p["input_text"], p["readonly_bg"]),
        ("combo", p["input_text"], p["combo_bg"]), ("view", p["input_text"], p["view_bg"]),
        ("alternate row", p["input_text"], p["view_alternate"]),
        ("hover row", p["input_text"], p["view_hover"]),
        ("input disabled", p["input_disabled_text"], p["input_disabled_bg"]),
        ("selection", p["selected_text"], p["selected_bg"]),
        ("header", p["header_text"], p["header_bg"]),
        ("header hover", p["header_text"], p["header_hover_bg"]),
        ("header pressed", p["header_text"], p["header_pressed_bg"]),
        ("menu", p["menu_text"], p["menu_bg"]),
        ("menu selected", p["menu_selected_text"], p["menu_selected_bg"]),
        ("menu disabled", p["menu_disabled_text"], p["menu_bg"]),
        ("tab", p["tab_text"], p["tab_bg"]), ("tab hover", p["tab_hover_text"], p["tab_hover_bg"]),
        ("tab selected", p["tab_selected_text"], p["tab_selected_bg"]),
        ("tab disabled", p["tab_disabled_text"], p["tab_bg"]),
        ("progress", p["progress_text"], p["progress_bg"]),
        ("progress chunk", p["progress_text"], p["progress_chunk"]),
        ("status", p["status_text"], p["status_bg"]), ("tooltip", p["tip_text"], p["tip_bg"]),
    ]
    pairs += [("group title", p["group_title"], bg) for bg in title_bgs]
    pairs += [("group title disabled", p["group_title_disabled"], bg) for bg in title_bgs]
    return pairs


def worst(text, background):
    return min(contrast(text, c) for c in colours_of(background))


def check(p):
    problems = []
    for what, text, background in readable_pairs(p):
        ratio = worst(text, background)
        if ratio < 4.5:
            problems.append(f"{what}: {ratio:.2f}")
    dim_pairs = [
        ("label", (p["text"], p["window_bg"]), (p["disabled_text"], p["window_bg"])),
        ("button", (p["button_text"], p["button_bg"]), (p["button_disabled_text"], p["button_disabled_bg"])),
        ("tool button", (p["tool_text"], p["tool_bg"]), (p["tool_disabled_text"], p["tool_disabled_bg"])),
        ("toolbar", (p["toolbar_text"], p["toolbar_bg"]), (p["toolbar_disabled_text"], p["toolbar_bg"])),
        ("input", (p["input_text"], p["input_bg"]), (p["input_disabled_text"], p["input_disabled_bg"])),
        ("menu", (p["menu_text"], p["menu_bg"]), (p["menu_disabled_text"], p["menu_bg"])),
        ("tab", (p["tab_text"], p["tab_bg"]), (p["tab_disabled_text"], p["tab_bg"])),
    ]
    # Disabled text is clearly dimmer: at least 20 L* units lighter or darker than the normal
    # text, towards its background.
    for what, normal, disabled in dim_pairs:
        step = abs(lightness(normal[0]) - lightness(disabled[0]))
        if step < 20 or worst(*disabled) >= worst(*normal):
            problems.append(f"{what} disabled not dimmer: {step:.1f} L*")
    return problems


def main():
    failed = False
    for p in LOOKS:
        folder = BUILT_IN if p["builtin"] else HERE
        (folder / p["file"]).write_text(TEMPLATE.substitute(p), encoding="utf-8")
        for problem in check(p):
            failed = True
            print(f"{p['value']} ({p['file']}): {problem}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
