#include "app/ProfileIcons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "profiles/ProfileCatalogue.h"

namespace velmora::app {

namespace {

// What an icon shows above its band.
enum class Glyph {
    Monitor,
    Phone,
    PhoneVideo,
    FeaturePhone,
    PhoneAudio,
    Tablet,
    Television,
    SetTopBox,
    Handheld,
    Gamepad,
    MusicPlayer,
    PortablePlayer,
    DiscPlayer,
    Disc,
    FilmReel,
    FilmStrip,
    Globe,
    MusicNote,
    Speaker,
};

struct IconDesign {
    int code;
    Glyph glyph;
    const char* label;  // the format, on the band
    const char* badge;  // empty: none
};

// One row per profile, in code order.
constexpr std::array<IconDesign, kProfileCount> kIcons{{
    {1, Glyph::Monitor, "AVI", ""},
    {2, Glyph::PortablePlayer, "AVI", ""},
    {3, Glyph::DiscPlayer, "AVI", ""},
    {4, Glyph::Handheld, "MP4", ""},
    {5, Glyph::Gamepad, "MP4", ""},
    {6, Glyph::MusicPlayer, "MP4", ""},
    {7, Glyph::MusicPlayer, "MP4", "touch"},
    {8, Glyph::Phone, "MP4", ""},
    {9, Glyph::SetTopBox, "MP4", "TV"},
    {10, Glyph::PortablePlayer, "MP4", ""},
    {11, Glyph::PortablePlayer, "MP4", "HD"},
    {12, Glyph::Monitor, "MP4", ""},
    {13, Glyph::Globe, "SWF", ""},
    {14, Glyph::Globe, "FLV", ""},
    {15, Glyph::FilmReel, "RM", ""},
    {16, Glyph::FilmReel, "MKV", ""},
    {17, Glyph::FilmReel, "MOV", ""},
    {18, Glyph::FilmReel, "MPG", ""},
    {19, Glyph::Disc, "DVD", ""},
    {20, Glyph::Disc, "SVCD", ""},
    {21, Glyph::Disc, "VCD", ""},
    {22, Glyph::FilmReel, "WMV", ""},
    {23, Glyph::FilmReel, "ASF", ""},
    {24, Glyph::FilmStrip, "MJPEG", ""},
    {100, Glyph::Phone, "AVI", ""},
    {101, Glyph::Phone, "AVI", "H.264"},
    {102, Glyph::Phone, "MP4", ""},
    {103, Glyph::FeaturePhone, "AVI", ""},
    {104, Glyph::PhoneVideo, "MP4", ""},
    {105, Glyph::Phone, "MP4", "HD"},
    {106, Glyph::Phone, "MOV", ""},
    {107, Glyph::Phone, "MKV", ""},
    {108, Glyph::Tablet, "AVI", "H.264"},
    {109, Glyph::Tablet, "MPEG4", ""},
    {110, Glyph::Tablet, "AVI", ""},
    {111, Glyph::Tablet, "MP4", ""},
    {112, Glyph::PortablePlayer, "MP4", ""},
    {113, Glyph::Television, "MP4", "H.264"},
    {114, Glyph::Television, "AVI", ""},
    {115, Glyph::Television, "AVI", "4K"},
    {116, Glyph::Television, "MP4", ""},
    {117, Glyph::Television, "MKV", "FHD"},
    {118, Glyph::SetTopBox, "MP4", ""},
    {119, Glyph::SetTopBox, "AVI", ""},
    {200, Glyph::MusicNote, "MP3", ""},
    {201, Glyph::MusicNote, "WMA", ""},
    {202, Glyph::Disc, "WAV", "CD"},
    {203, Glyph::MusicNote, "AAC", ""},
    {204, Glyph::Speaker, "AC3", ""},
    {205, Glyph::MusicNote, "OGG", ""},
    {206, Glyph::MusicNote, "MP2", ""},
    {207, Glyph::MusicNote, "FLAC", ""},
    {208, Glyph::MusicNote, "RM", ""},
    {209, Glyph::PhoneAudio, "AMR", ""},
    {400, Glyph::FilmReel, "MKV", ""},
    {401, Glyph::FilmReel, "MKV", "FHD"},
    {402, Glyph::Globe, "MKV", ""},
    {403, Glyph::Monitor, "MKV", ""},
    {404, Glyph::FilmReel, "MKV", "720P"},
    {405, Glyph::FilmReel, "MKV", "1080P"},
    {406, Glyph::FilmReel, "MKV", "2K"},
    {407, Glyph::FilmReel, "MKV", "4K"},
    {408, Glyph::FilmReel, "MKV", "mini"},
    {409, Glyph::FilmReel, "MKV", "HD"},
    {410, Glyph::FilmReel, "AVI", ""},
    {411, Glyph::FilmReel, "AVI", "HD"},
    {412, Glyph::Disc, "VOB", ""},
    {413, Glyph::FilmReel, "MPEG4", "HD"},
    {414, Glyph::FilmReel, "MP4", "H.264"},
    {415, Glyph::FilmStrip, "MP4", ""},
    {416, Glyph::FilmStrip, "AVI", ""},
    {417, Glyph::FilmStrip, "MOV", ""},
    {418, Glyph::FilmStrip, "WMV", ""},
    {419, Glyph::Disc, "VCD", ""},
    {420, Glyph::Disc, "DVD", ""},
}};

// The band's colour by format family.
struct BandColour {
    const char* label;
    QRgb colour;
};

constexpr BandColour kBandColours[] = {
    {"AVI", 0xff1e63c6}, {"MP4", 0xff168a4a}, {"MPEG4", 0xff117a65}, {"MKV", 0xff7a3cc0},
    {"MOV", 0xff4d5d70}, {"WMV", 0xffc9650b}, {"ASF", 0xffa84e0a},   {"MPG", 0xffc0392b},
    {"DVD", 0xffa93226}, {"VCD", 0xffcb4335}, {"SVCD", 0xff922b21},  {"VOB", 0xff78281f},
    {"FLV", 0xffd35400}, {"SWF", 0xffb9450f}, {"RM", 0xff8b1e3f},    {"MJPEG", 0xff8a6d0b},
    {"MP3", 0xff0e8c7f}, {"WMA", 0xffd9730d}, {"WAV", 0xff2471a3},   {"AAC", 0xff1e8449},
    {"AC3", 0xff2e4053}, {"OGG", 0xff7d3c98}, {"MP2", 0xff148f77},   {"FLAC", 0xff273746},
    {"AMR", 0xffba4a00},
};

constexpr QRgb kBodyColour = 0xff34404d;  // device bodies
constexpr QRgb kScreenTop = 0xff9fd0ff;   // screens, top of their gradient
constexpr QRgb kScreenBottom = 0xff2f73c9;
constexpr QRgb kTileTop = 0xffffffff;
constexpr QRgb kTileBottom = 0xffe3e9f0;
constexpr QRgb kTileBorder = 0xff8f9ba8;
constexpr QRgb kBadgeColour = 0xffe53935;

const IconDesign* findIcon(int code) {
    const auto it = std::ranges::find(kIcons, code, &IconDesign::code);
    return it != kIcons.end() ? &*it : nullptr;
}

QColor bandColour(const char* label) {
    for (const BandColour& entry : kBandColours) {
        if (qstrcmp(entry.label, label) == 0) {
            return QColor::fromRgba(entry.colour);
        }
    }
    return QColor(0x55, 0x60, 0x6e);
}

QBrush screenBrush(const QRectF& screen) {
    QLinearGradient gradient(screen.topLeft(), screen.bottomRight());
    gradient.setColorAt(0, QColor::fromRgba(kScreenTop));
    gradient.setColorAt(1, QColor::fromRgba(kScreenBottom));
    return gradient;
}

void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawRoundedRect(rect, radius, radius);
}

QColor body() {
    return QColor::fromRgba(kBodyColour);
}

QColor tileColour() {
    return QColor::fromRgba(kTileBottom);
}

// A device with a screen: the body, then the screen inset by the given margins.
void drawDevice(QPainter& painter, const QRectF& outline, qreal radius, const QMarginsF& bezel) {
    fillRounded(painter, outline, radius, body());
    const QRectF screen = outline.marginsRemoved(bezel);
    fillRounded(painter, screen, 1.0, screenBrush(screen));
}

void drawPlayTriangle(QPainter& painter, QPointF centre, qreal size) {
    QPainterPath triangle;
    triangle.moveTo(centre + QPointF(-size * 0.45, -size * 0.55));
    triangle.lineTo(centre + QPointF(size * 0.6, 0));
    triangle.lineTo(centre + QPointF(-size * 0.45, size * 0.55));
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawPath(triangle);
}

// Two beamed eighth notes whose heads sit near the bottom of the box.
void drawNotes(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal w = box.width();
    const qreal h = box.height();
    const QPointF left(box.left() + w * 0.28, box.bottom() - h * 0.16);
    const QPointF right(box.left() + w * 0.78, box.bottom() - h * 0.26);
    const qreal headW = w * 0.17;
    const qreal headH = h * 0.11;
    const qreal stem = std::max(1.2, w * 0.05);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const QPointF head : {left, right}) {
        painter.save();
        painter.translate(head);
        painter.rotate(-20);
        painter.drawEllipse(QPointF(0, 0), headW, headH);
        painter.restore();
    }
    const qreal leftStemX = left.x() + headW * 0.85;
    const qreal rightStemX = right.x() + headW * 0.85;
    const qreal leftTop = box.top() + h * 0.16;
    const qreal rightTop = box.top() + h * 0.06;
    painter.drawRect(QRectF(leftStemX - stem, leftTop, stem, left.y() - leftTop));
    painter.drawRect(QRectF(rightStemX - stem, rightTop, stem, right.y() - rightTop));
    QPainterPath beam;
    beam.moveTo(leftStemX - stem, leftTop);
    beam.lineTo(rightStemX, rightTop);
    beam.lineTo(rightStemX, rightTop + h * 0.13);
    beam.lineTo(leftStemX - stem, leftTop + h * 0.13);
    beam.closeSubpath();
    painter.drawPath(beam);
}

void drawMonitor(QPainter& painter) {
    drawDevice(painter, QRectF(8, 4, 44, 28), 2.5, QMarginsF(3, 3, 3, 3));
    painter.setBrush(body());
    QPainterPath neck;
    neck.moveTo(26, 32);
    neck.lineTo(34, 32);
    neck.lineTo(36, 36.5);
    neck.lineTo(24, 36.5);
    neck.closeSubpath();
    painter.drawPath(neck);
    painter.drawRoundedRect(QRectF(18, 36, 24, 3), 1.5, 1.5);
}

// What a phone's screen shows.
enum class PhoneScreen { Blank, Video, Music };

void drawPhone(QPainter& painter, PhoneScreen content) {
    drawDevice(painter, QRectF(20, 2, 20, 37), 4, QMarginsF(2, 5, 2, 6));
    painter.setBrush(QColor(220, 226, 232));
    painter.drawRoundedRect(QRectF(27, 4, 6, 1.2), 0.6, 0.6);
    painter.drawEllipse(QPointF(30, 36), 1.6, 1.6);
    if (content == PhoneScreen::Music) {
        drawNotes(painter, QRectF(22.5, 8.5, 15, 22), Qt::white);
    } else if (content == PhoneScreen::Video) {
        drawPlayTriangle(painter, QPointF(30.5, 20), 8);
    }
}

void drawFeaturePhone(QPainter& painter) {
    fillRounded(painter, QRectF(20, 3, 20, 36), 4, body());
    painter.setBrush(body());
    painter.drawRoundedRect(QRectF(33, 0.5, 3, 5), 1.2, 1.2);  // antenna
    const QRectF screen(23, 6, 14, 11);
    fillRounded(painter, screen, 1, screenBrush(screen));
    painter.setBrush(QColor(205, 213, 222));
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            painter.drawRoundedRect(QRectF(23.2 + column * 4.9, 19.5 + row * 4.6, 3.8, 3.1), 1, 1);
        }
    }
}

void drawTablet(QPainter& painter) {
    drawDevice(painter, QRectF(8, 5, 44, 32), 4, QMarginsF(5, 3, 5, 3));
    painter.setBrush(QColor(220, 226, 232));
    painter.drawEllipse(QPointF(10.6, 21), 1.2, 1.2);
    painter.drawEllipse(QPointF(49.4, 21), 1.6, 1.6);
}

void drawTelevision(QPainter& painter) {
    drawDevice(painter, QRectF(5, 4, 50, 30), 2.5, QMarginsF(3, 3, 3, 4));
    painter.setPen(QPen(body(), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, 34), QPointF(13, 39));
    painter.drawLine(QPointF(44, 34), QPointF(47, 39));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(120, 230, 140));
    painter.drawEllipse(QPointF(50.5, 32), 0.9, 0.9);
}

void drawSetTopBox(QPainter& painter) {
    // Signal arcs above a flat box.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x2f, 0x73, 0xc9), 2.4, Qt::SolidLine, Qt::RoundCap));
    for (const qreal radius : {5.0, 10.0, 15.0}) {
        painter.drawArc(QRectF(30 - radius, 22 - radius, radius * 2, radius * 2), 45 * 16, 90 * 16);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2f, 0x73, 0xc9));
    painter.drawEllipse(QPointF(30, 22), 2.2, 2.2);
    QLinearGradient gradient(0, 25, 0, 38);
    gradient.setColorAt(0, QColor(0x4a, 0x57, 0x66));
    gradient.setColorAt(1, body());
    fillRounded(painter, QRectF(6, 26, 48, 12), 3, gradient);
    painter.setBrush(QColor(0x1c, 0x23, 0x2b));
    painter.drawRoundedRect(QRectF(10, 30.5, 20, 3), 1.2, 1.2);
    painter.setBrush(QColor(110, 230, 130));
    painter.drawEllipse(QPointF(48, 32), 1.6, 1.6);
    painter.setBrush(QColor(0x9f, 0xd0, 0xff));
    painter.drawEllipse(QPointF(42.5, 32), 1.3, 1.3);
}

void drawHandheld(QPainter& painter) {
    fillRounded(painter, QRectF(3, 9, 54, 25), 12.5, body());
    const QRectF screen(16, 12, 28, 19);
    fillRounded(painter, screen, 1, screenBrush(screen));
    painter.setBrush(QColor(210, 217, 224));
    painter.drawRect(QRectF(7, 20.2, 7, 2.6));  // direction pad
    painter.drawRect(QRectF(9.2, 18, 2.6, 7));
    for (const QPointF button :
         {QPointF(50, 17.5), QPointF(50, 25.5), QPointF(46, 21.5), QPointF(54, 21.5)}) {
        painter.drawEllipse(button, 1.6, 1.6);
    }
}

void drawGamepad(QPainter& painter) {
    QPainterPath pad;
    pad.addRoundedRect(QRectF(9, 12, 42, 16), 8, 8);
    pad.addEllipse(QPointF(15, 28), 7, 8);
    pad.addEllipse(QPointF(45, 28), 7, 8);
    pad.setFillRule(Qt::WindingFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body());
    painter.drawPath(pad.simplified());
    painter.setBrush(QColor(210, 217, 224));
    painter.drawRect(QRectF(11, 18.8, 9, 2.8));
    painter.drawRect(QRectF(14.1, 15.7, 2.8, 9));
    const QColor buttons[] = {QColor(0x5d, 0xd6, 0x8c), QColor(0xff, 0x6b, 0x6b),
                              QColor(0x6b, 0xb1, 0xff), QColor(0xff, 0xa0, 0xd8)};
    const QPointF places[] = {QPointF(45, 16), QPointF(49, 20.2), QPointF(45, 24.4),
                              QPointF(41, 20.2)};
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(buttons[i]);
        painter.drawEllipse(places[i], 1.8, 1.8);
    }
    painter.setBrush(QColor(0x1c, 0x23, 0x2b));
    painter.drawEllipse(QPointF(24, 27), 3.2, 3.2);
    painter.drawEllipse(QPointF(36, 27), 3.2, 3.2);
}

void drawMusicPlayer(QPainter& painter) {
    QLinearGradient metal(18, 2, 42, 40);
    metal.setColorAt(0, QColor(0xf4, 0xf6, 0xf8));
    metal.setColorAt(1, QColor(0xb9, 0xc2, 0xcc));
    fillRounded(painter, QRectF(17, 2, 26, 38), 5, QColor(0x55, 0x61, 0x6e));
    fillRounded(painter, QRectF(18, 3, 24, 36), 4, metal);
    const QRectF screen(20.5, 5.5, 19, 14);
    fillRounded(painter, screen, 1, screenBrush(screen));
    painter.setBrush(QColor(0x8a, 0x95, 0xa1));
    painter.drawEllipse(QPointF(30, 29.5), 7.5, 7.5);
    painter.setBrush(QColor(0xe9, 0xed, 0xf1));
    painter.drawEllipse(QPointF(30, 29.5), 2.8, 2.8);
}

void drawPortablePlayer(QPainter& painter) {
    drawDevice(painter, QRectF(12, 3, 36, 37), 4, QMarginsF(3, 3, 3, 14));
    drawPlayTriangle(painter, QPointF(30, 14), 8);
    painter.setBrush(QColor(210, 217, 224));
    for (const qreal x : {21.0, 30.0, 39.0}) {
        painter.drawEllipse(QPointF(x, 32.5), 2.6, 2.6);
    }
}

void drawDisc(QPainter& painter, QPointF centre, qreal radius) {
    QRadialGradient shine(centre, radius, centre + QPointF(-radius * 0.3, -radius * 0.4));
    shine.setColorAt(0, QColor(0xff, 0xff, 0xff));
    shine.setColorAt(0.45, QColor(0xc7, 0xe0, 0xf2));
    shine.setColorAt(0.75, QColor(0xd9, 0xc8, 0xf0));
    shine.setColorAt(1, QColor(0x8d, 0x9c, 0xb0));
    painter.setPen(QPen(QColor(0x5b, 0x67, 0x75), 1.0));
    painter.setBrush(shine);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(QColor(0x8d, 0x9c, 0xb0), 0.8));
    painter.setBrush(QColor(0xe6, 0xec, 0xf2));
    painter.drawEllipse(centre, radius * 0.32, radius * 0.32);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tileColour());
    painter.drawEllipse(centre, radius * 0.12, radius * 0.12);
}

void drawDiscPlayer(QPainter& painter) {
    drawDisc(painter, QPointF(30, 16), 13);
    QLinearGradient gradient(0, 24, 0, 39);
    gradient.setColorAt(0, QColor(0x4a, 0x57, 0x66));
    gradient.setColorAt(1, body());
    fillRounded(painter, QRectF(5, 24, 50, 14), 2.5, gradient);
    painter.setBrush(QColor(0x1c, 0x23, 0x2b));
    painter.drawRoundedRect(QRectF(9, 28.5, 24, 2.6), 1.2, 1.2);
    painter.setBrush(QColor(110, 230, 130));
    painter.drawEllipse(QPointF(49, 31), 1.6, 1.6);
}

void drawFilmReel(QPainter& painter) {
    const QPointF centre(27, 20);
    // The film leaving the reel.
    painter.setPen(Qt::NoPen);
    painter.setBrush(body());
    painter.drawRect(QRectF(27, 32.5, 28, 6.5));
    painter.setBrush(tileColour());
    for (qreal x = 37; x < 55; x += 5) {
        painter.drawRect(QRectF(x, 34, 2.4, 1.4));
        painter.drawRect(QRectF(x, 36.3, 2.4, 1.4));
    }
    painter.setBrush(body());
    painter.drawEllipse(centre, 17, 17);
    painter.setBrush(tileColour());
    for (int i = 0; i < 5; ++i) {
        const qreal angle = -std::numbers::pi / 2 + i * 2 * std::numbers::pi / 5;
        painter.drawEllipse(centre + QPointF(std::cos(angle), std::sin(angle)) * 9.2, 4.4, 4.4);
    }
    painter.drawEllipse(centre, 2.2, 2.2);
}

void drawFilmStrip(QPainter& painter) {
    fillRounded(painter, QRectF(14, 2, 32, 38), 2, body());
    painter.setBrush(tileColour());
    for (qreal y = 4.5; y < 38; y += 5.5) {
        painter.drawRoundedRect(QRectF(16, y, 3, 3), 0.6, 0.6);
        painter.drawRoundedRect(QRectF(41, y, 3, 3), 0.6, 0.6);
    }
    for (const qreal y : {4.5, 21.5}) {
        const QRectF frame(21.5, y, 17, 14.5);
        fillRounded(painter, frame, 1, screenBrush(frame));
    }
    drawPlayTriangle(painter, QPointF(30.5, 28.7), 7);
}

void drawGlobe(QPainter& painter) {
    const QPointF centre(30, 20.5);
    const qreal radius = 18;
    QRadialGradient sea(centre, radius, centre + QPointF(-6, -7));
    sea.setColorAt(0, QColor(0x9f, 0xd8, 0xff));
    sea.setColorAt(1, QColor(0x1f, 0x5f, 0xb4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sea);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1.3));
    painter.drawEllipse(centre, radius * 0.45, radius);
    painter.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));
    painter.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
    for (const qreal offset : {-0.55, 0.55}) {
        const qreal y = centre.y() + offset * radius;
        const qreal half = radius * std::sqrt(1 - offset * offset);
        painter.drawLine(QPointF(centre.x() - half, y), QPointF(centre.x() + half, y));
    }
}

void drawSpeaker(QPainter& painter) {
    QPainterPath cone;
    cone.moveTo(8, 15);
    cone.lineTo(16, 15);
    cone.lineTo(27, 6);
    cone.lineTo(27, 36);
    cone.lineTo(16, 27);
    cone.lineTo(8, 27);
    cone.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(body());
    painter.drawPath(cone);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x2e, 0x40, 0x53), 2.6, Qt::SolidLine, Qt::RoundCap));
    for (const qreal radius : {7.0, 13.0, 19.0}) {
        painter.drawArc(QRectF(28 - radius, 21 - radius, radius * 2, radius * 2), -50 * 16,
                        100 * 16);
    }
}

void drawGlyph(QPainter& painter, const IconDesign& design) {
    switch (design.glyph) {
        case Glyph::Monitor:
            return drawMonitor(painter);
        case Glyph::Phone:
            return drawPhone(painter, PhoneScreen::Blank);
        case Glyph::PhoneVideo:
            return drawPhone(painter, PhoneScreen::Video);
        case Glyph::PhoneAudio:
            return drawPhone(painter, PhoneScreen::Music);
        case Glyph::FeaturePhone:
            return drawFeaturePhone(painter);
        case Glyph::Tablet:
            return drawTablet(painter);
        case Glyph::Television:
            return drawTelevision(painter);
        case Glyph::SetTopBox:
            return drawSetTopBox(painter);
        case Glyph::Handheld:
            return drawHandheld(painter);
        case Glyph::Gamepad:
            return drawGamepad(painter);
        case Glyph::MusicPlayer:
            return drawMusicPlayer(painter);
        case Glyph::PortablePlayer:
            return drawPortablePlayer(painter);
        case Glyph::DiscPlayer:
            return drawDiscPlayer(painter);
        case Glyph::Disc:
            return drawDisc(painter, QPointF(30, 21), 18);
        case Glyph::FilmReel:
            return drawFilmReel(painter);
        case Glyph::FilmStrip:
            return drawFilmStrip(painter);
        case Glyph::Globe:
            return drawGlobe(painter);
        case Glyph::MusicNote:
            return drawNotes(painter, QRectF(10, 2, 40, 38), bandColour(design.label).darker(115));
        case Glyph::Speaker:
            return drawSpeaker(painter);
    }
}

// The largest bold font up to maxPx whose text fits the width.
QFont fittingFont(const QString& text, qreal maxPx, qreal width) {
    QFont font;
    font.setBold(true);
    for (qreal px = maxPx; px > 5; px -= 0.5) {
        font.setPixelSize(static_cast<int>(std::lround(px)));
        if (QFontMetricsF(font).horizontalAdvance(text) <= width) {
            break;
        }
    }
    return font;
}

void drawBand(QPainter& painter, const QString& label, const QColor& colour) {
    const QRectF band(4, 41.5, 52, 15);
    fillRounded(painter, band, 4, colour);
    painter.setPen(Qt::white);
    painter.setFont(fittingFont(label, 13, band.width() - 6));
    painter.drawText(band, Qt::AlignCenter, label);
}

void drawBadge(QPainter& painter, const QString& badge) {
    const QFont font = fittingFont(badge, 9, 30);
    const qreal width = QFontMetricsF(font).horizontalAdvance(badge) + 5;
    const QRectF box(58.5 - width, 1.5, width, 11);
    painter.setPen(QPen(Qt::white, 1.2));
    painter.setBrush(QColor::fromRgba(kBadgeColour));
    painter.drawRoundedRect(box, 3, 3);
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter, badge);
}

}  // namespace

QImage paintProfileIcon(int code, int sizePx) {
    const IconDesign* design = findIcon(code);
    if (design == nullptr || sizePx <= 0) {
        return {};
    }
    QImage image(sizePx, sizePx, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // Drawn in a 60-unit square at any size.
    painter.scale(sizePx / qreal(kProfileIconSize), sizePx / qreal(kProfileIconSize));

    // A light tile behind every icon keeps it legible in dark looks too.
    QLinearGradient tile(0, 0, 0, 60);
    tile.setColorAt(0, QColor::fromRgba(kTileTop));
    tile.setColorAt(1, QColor::fromRgba(kTileBottom));
    painter.setPen(QPen(QColor::fromRgba(kTileBorder), 1.0));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 59, 59), 8, 8);

    drawGlyph(painter, *design);
    drawBand(painter, QString::fromUtf8(design->label), bandColour(design->label));
    if (*design->badge != '\0') {
        drawBadge(painter, QString::fromUtf8(design->badge));
    }
    return image;
}

QIcon profileIcon(int code) {
    static std::map<int, QIcon> icons;
    if (icons.empty()) {
        for (const IconDesign& design : kIcons) {
            QIcon icon;
            icon.addPixmap(QPixmap::fromImage(paintProfileIcon(design.code, kProfileIconSize)));
            QImage large = paintProfileIcon(design.code, kProfileIconSize * 2);
            large.setDevicePixelRatio(2.0);
            icon.addPixmap(QPixmap::fromImage(large));
            icons.emplace(design.code, icon);
        }
    }
    const auto it = icons.find(code);
    return it != icons.end() ? it->second : QIcon();
}

}  // namespace velmora::app
