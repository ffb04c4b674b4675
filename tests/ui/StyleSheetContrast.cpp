#include "ui/StyleSheetContrast.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace velmora::test {
namespace {

using Declarations = std::map<QString, QString>;

// Parts of widgets that draw no text: their colours are decoration.
const QStringList kDecorations = {
    "::groove",     "::handle",     "::sub-page",    "::add-page",       "::indicator",
    "::drop-down",  "::down-arrow", "::up-arrow",    "::left-arrow",     "::right-arrow",
    "::add-line",   "::sub-line",   "::separator",   "::menu-indicator", "::menu-button",
    "::menu-arrow", "::up-button",  "::down-button", "::corner",         "::tab-bar",
    "::pane",       "::scroller",   "::tear",        "::branch",         "::chunk"};
const QStringList kTextlessWidgets = {"QToolBar",    "QScrollBar", "QSlider",
                                      "QHeaderView", "QTabWidget", "QSplitter"};
// Surfaces that plain texts (labels, check boxes) sit on.
const QStringList kSurfaces = {"QMainWindow", "QDialog", "QGroupBox", "QTabWidget::pane"};
// Kinds whose disabled look has to differ from the enabled one.
const QStringList kNeedDisabledLook = {"QPushButton", "QToolButton", "QToolBar QToolButton",
                                       "QLineEdit",   "QComboBox",   "QCheckBox",
                                       "QLabel",      "QMenu::item", "QTabBar::tab"};

double channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

QString normalized(QString selector) {
    return selector.simplified();
}

// "QToolBar QToolButton:hover:!selected" -> "QToolBar QToolButton" and {"hover", "!selected"}.
QString withoutStates(const QString& selector, QStringList* states = nullptr) {
    static const QRegularExpression state(QStringLiteral("(?<!:):(?!:)([!a-zA-Z-]+)"));
    if (states != nullptr) {
        auto matches = state.globalMatch(selector);
        while (matches.hasNext()) {
            states->append(matches.next().captured(1));
        }
    }
    QString base = selector;
    base.remove(state);
    return base;
}

QString withoutAttributes(const QString& selector) {
    static const QRegularExpression attribute(QStringLiteral("\\[[^\\]]*\\]"));
    QString base = selector;
    base.remove(attribute);
    return base;
}

class Sheet {
public:
    explicit Sheet(QString text) {
        static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                                QRegularExpression::DotMatchesEverythingOption);
        text.remove(comment);
        static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^{}]*)\\}"));
        auto rules = rule.globalMatch(text);
        while (rules.hasNext()) {
            const auto match = rules.next();
            Declarations declarations;
            for (const QString& item : match.captured(2).split(QLatin1Char(';'))) {
                const qsizetype colon = item.indexOf(QLatin1Char(':'));
                if (colon > 0) {
                    declarations[item.left(colon).trimmed().toLower()] =
                        item.mid(colon + 1).trimmed();
                }
            }
            for (const QString& selector : match.captured(1).split(QLatin1Char(','))) {
                Declarations& target = m_rules[normalized(selector)];
                for (const auto& [name, value] : declarations) {
                    target[name] = value;
                }
                if (!m_order.contains(normalized(selector))) {
                    m_order.append(normalized(selector));
                }
            }
        }
    }

    const QStringList& selectors() const { return m_order; }
    bool has(const QString& selector) const { return m_rules.count(selector) != 0; }

    std::optional<QString> own(const QString& selector, const QString& property) const {
        const auto rule = m_rules.find(selector);
        if (rule == m_rules.end()) {
            return std::nullopt;
        }
        const auto value = rule->second.find(property);
        if (value == rule->second.end()) {
            return std::nullopt;
        }
        return value->second;
    }

    // The background declared for selector, unless it is transparent.
    std::optional<QString> ownBackground(const QString& selector) const {
        for (const char* property : {"background", "background-color"}) {
            const auto value = own(selector, QString::fromLatin1(property));
            if (value && !isTransparent(*value)) {
                return value;
            }
        }
        return std::nullopt;
    }

    bool declaresTransparentBackground(const QString& selector) const {
        for (const char* property : {"background", "background-color"}) {
            const auto value = own(selector, QString::fromLatin1(property));
            if (value && isTransparent(*value)) {
                return true;
            }
        }
        return false;
    }

    static bool isTransparent(const QString& value) {
        const QString lower = value.trimmed().toLower();
        return lower == QLatin1String("transparent") || lower == QLatin1String("none");
    }

private:
    std::map<QString, Declarations> m_rules;
    QStringList m_order;
};

// The selectors a text colour falls back to, nearest first.
QStringList colourChain(const QString& selector) {
    QStringList chain{selector};
    const QString stateless = withoutStates(selector);
    chain.append(stateless);
    chain.append(withoutAttributes(stateless));
    const qsizetype subcontrol = stateless.indexOf(QLatin1String("::"));
    if (subcontrol > 0) {
        chain.append(stateless.left(subcontrol));
    }
    chain.append(QStringLiteral("QWidget"));
    chain.removeDuplicates();
    return chain;
}

// What a text of selector is drawn on when the selector paints no background of its own.
QStringList containersOf(const QString& selector) {
    const QString stateless = withoutStates(selector);
    const qsizetype space = stateless.lastIndexOf(QLatin1Char(' '));
    if (space > 0) {
        return {stateless.left(space).trimmed()};
    }
    if (stateless.startsWith(QLatin1String("QGroupBox::title"))) {
        return kSurfaces;
    }
    const qsizetype subcontrol = stateless.indexOf(QLatin1String("::"));
    if (subcontrol > 0) {
        return {stateless.left(subcontrol)};
    }
    return kSurfaces;
}

struct Colours {
    std::vector<QColor> colours;
    QString problem;  // why the value cannot be judged
};

Colours coloursOf(const QString& value) {
    Colours result;
    if (value.contains(QLatin1String("url("))) {
        result.problem = QStringLiteral("a picture background cannot be judged");
        return result;
    }
    static const QRegularExpression token(
        QStringLiteral("#[0-9a-fA-F]{3,8}\\b|rgba?\\([^)]*\\)|\\b[a-zA-Z]+\\b"));
    static const QSet<QString> notColours = {"qlineargradient",
                                             "qradialgradient",
                                             "qconicalgradient",
                                             "stop",
                                             "x1",
                                             "x2",
                                             "y1",
                                             "y2",
                                             "cx",
                                             "cy",
                                             "fx",
                                             "fy",
                                             "radius",
                                             "angle",
                                             "spread",
                                             "pad",
                                             "repeat",
                                             "reflect"};
    auto tokens = token.globalMatch(value);
    while (tokens.hasNext()) {
        const QString text = tokens.next().captured(0);
        if (notColours.contains(text.toLower())) {
            continue;
        }
        QColor colour;
        if (text.startsWith(QLatin1String("rgb"))) {
            const QStringList parts = text.mid(text.indexOf('(') + 1).chopped(1).split(',');
            if (parts.size() >= 3) {
                colour =
                    QColor(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(),
                           parts[2].trimmed().toInt(),
                           parts.size() > 3 ? qRound(parts[3].trimmed().toDouble() * 255) : 255);
            }
        } else {
            colour = QColor::fromString(text);
        }
        if (!colour.isValid()) {
            result.problem = QStringLiteral("\"%1\" is not a colour").arg(text);
            return result;
        }
        if (colour.alpha() != 255) {
            result.problem = QStringLiteral("translucent %1 cannot be judged").arg(text);
            return result;
        }
        result.colours.push_back(colour);
    }
    if (result.colours.empty() && result.problem.isEmpty()) {
        result.problem = QStringLiteral("no colour in \"%1\"").arg(value);
    }
    return result;
}

class Checker {
public:
    explicit Checker(const QString& text) : m_sheet(text) {}

    std::vector<QString> run() {
        for (const QString& selector : m_sheet.selectors()) {
            if (drawsText(selector)) {
                checkText(selector);
                checkSelection(selector);
                checkAlternateRows(selector);
            }
            if (withoutStates(selector).endsWith(QLatin1String("::chunk"))) {
                checkChunk(selector);
            }
        }
        checkDisabledLooks();
        return m_problems;
    }

private:
    bool drawsText(const QString& selector) const {
        const QString stateless = withoutStates(selector);
        for (const QString& decoration : kDecorations) {
            if (stateless.contains(decoration)) {
                return false;
            }
        }
        const QString last = stateless.section(QLatin1Char(' '), -1);
        if (kTextlessWidgets.contains(withoutAttributes(last)) ||
            stateless == QLatin1String("QMainWindow::separator")) {
            return false;
        }
        for (const char* property : {"color", "background", "background-color"}) {
            if (m_sheet.own(selector, QString::fromLatin1(property))) {
                return true;
            }
        }
        return false;
    }

    std::optional<QString> resolve(const QString& selector, const QString& property) const {
        for (const QString& candidate : colourChain(selector)) {
            if (auto value = m_sheet.own(candidate, property)) {
                return value;
            }
        }
        return std::nullopt;
    }

    // Every background value a text of selector may be drawn on.
    QStringList backgroundsOf(const QString& selector) const {
        if (auto own = m_sheet.ownBackground(selector)) {
            return {*own};
        }
        if (!m_sheet.declaresTransparentBackground(selector)) {
            const QString stateless = withoutStates(selector);
            if (stateless != selector) {
                if (auto base = m_sheet.ownBackground(stateless)) {
                    return {*base};
                }
            }
        }
        // A surface the sheet does not paint is left out; any other container passes the
        // question on to what it sits on.
        QStringList backgrounds;
        for (const QString& container : containersOf(selector)) {
            if (auto value = m_sheet.ownBackground(container)) {
                backgrounds.append(*value);
            } else if (!kSurfaces.contains(container) && container != selector) {
                backgrounds.append(backgroundsOf(container));
            }
        }
        backgrounds.removeDuplicates();
        return backgrounds;
    }

    // The lowest contrast of text against any colour of the backgrounds; nullopt (with a
    // problem noted) when a value cannot be judged.
    std::optional<double> worstContrast(const QString& where, const QString& textValue,
                                        const QStringList& backgrounds,
                                        QString* worstOn = nullptr) {
        const Colours text = coloursOf(textValue);
        if (!text.problem.isEmpty() || text.colours.size() != 1) {
            m_problems.push_back(QStringLiteral("%1: text colour: %2").arg(where, text.problem));
            return std::nullopt;
        }
        std::optional<double> worst;
        for (const QString& background : backgrounds) {
            const Colours colours = coloursOf(background);
            if (!colours.problem.isEmpty()) {
                m_problems.push_back(
                    QStringLiteral("%1: background: %2").arg(where, colours.problem));
                return std::nullopt;
            }
            for (const QColor& colour : colours.colours) {
                const double ratio = contrastRatio(text.colours.front(), colour);
                if (!worst || ratio < *worst) {
                    worst = ratio;
                    if (worstOn != nullptr) {
                        *worstOn = colour.name();
                    }
                }
            }
        }
        return worst;
    }

    void expectReadable(const QString& where, const QString& textValue,
                        const QStringList& backgrounds) {
        if (backgrounds.isEmpty()) {
            m_problems.push_back(
                QStringLiteral("%1: no background to judge the text against").arg(where));
            return;
        }
        QString on;
        const auto worst = worstContrast(where, textValue, backgrounds, &on);
        if (worst && *worst < kMinimumContrast) {
            m_problems.push_back(
                QStringLiteral("%1: %2:1 on %3").arg(where).arg(*worst, 0, 'f', 2).arg(on));
        }
    }

    void checkText(const QString& selector) {
        const auto colour = resolve(selector, QStringLiteral("color"));
        if (!colour) {
            m_problems.push_back(QStringLiteral("%1: no text colour").arg(selector));
            return;
        }
        expectReadable(selector, *colour, backgroundsOf(selector));
    }

    void checkSelection(const QString& selector) {
        const auto background = m_sheet.own(selector, QStringLiteral("selection-background-color"));
        const auto text = m_sheet.own(selector, QStringLiteral("selection-color"));
        if (!background && !text) {
            return;
        }
        const auto resolvedBackground =
            resolve(selector, QStringLiteral("selection-background-color"));
        const auto resolvedText = resolve(selector, QStringLiteral("selection-color"));
        if (!resolvedBackground || !resolvedText) {
            m_problems.push_back(
                QStringLiteral("%1: selection needs both a text and a background colour")
                    .arg(selector));
            return;
        }
        expectReadable(selector + QStringLiteral(" (selection)"), *resolvedText,
                       {*resolvedBackground});
    }

    void checkAlternateRows(const QString& selector) {
        const auto alternate = m_sheet.own(selector, QStringLiteral("alternate-background-color"));
        const auto colour = resolve(selector, QStringLiteral("color"));
        if (alternate && colour) {
            expectReadable(selector + QStringLiteral(" (alternate rows)"), *colour, {*alternate});
        }
    }

    // The percentage of a progress bar is drawn across the chunk too.
    void checkChunk(const QString& selector) {
        const auto background = m_sheet.ownBackground(selector);
        if (!background) {
            return;
        }
        QStringList states;
        withoutStates(selector, &states);
        QString bar = withoutStates(selector).section(QLatin1String("::"), 0, 0);
        for (const QString& state : states) {
            bar += QLatin1Char(':') + state;
        }
        if (const auto colour = resolve(bar, QStringLiteral("color"))) {
            expectReadable(selector, *colour, {*background});
        }
    }

    void checkDisabledLooks() {
        for (const QString& kind : kNeedDisabledLook) {
            if (!m_sheet.has(kind)) {
                continue;
            }
            const QString disabled = kind + QStringLiteral(":disabled");
            if (!m_sheet.own(disabled, QStringLiteral("color"))) {
                m_problems.push_back(
                    QStringLiteral("%1: no disabled text colour, a disabled one looks enabled")
                        .arg(kind));
                continue;
            }
            const Colours normalText = coloursOf(*resolve(kind, QStringLiteral("color")));
            const Colours disabledText = coloursOf(*resolve(disabled, QStringLiteral("color")));
            if (normalText.colours.size() != 1 || disabledText.colours.size() != 1) {
                continue;  // reported by the text check
            }
            const double step = std::abs(perceivedLightness(normalText.colours.front()) -
                                         perceivedLightness(disabledText.colours.front()));
            const auto normalContrast =
                worstContrast(kind, *resolve(kind, QStringLiteral("color")), backgroundsOf(kind));
            const auto disabledContrast = worstContrast(
                disabled, *resolve(disabled, QStringLiteral("color")), backgroundsOf(disabled));
            if (step < kDisabledLightnessStep ||
                (normalContrast && disabledContrast && *disabledContrast >= *normalContrast)) {
                m_problems.push_back(
                    QStringLiteral("%1: disabled text is not clearly dimmer (%2 L*)")
                        .arg(kind)
                        .arg(step, 0, 'f', 1));
            }
        }
    }

    Sheet m_sheet;
    std::vector<QString> m_problems;
};

}  // namespace

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

double perceivedLightness(const QColor& colour) {
    const double y = luminance(colour);
    const double f = y > 216.0 / 24389.0 ? std::cbrt(y) : (24389.0 / 27.0 * y + 16.0) / 116.0;
    return 116.0 * f - 16.0;
}

std::vector<QString> findContrastProblems(const QString& sheet) {
    return Checker(sheet).run();
}

}  // namespace velmora::test
