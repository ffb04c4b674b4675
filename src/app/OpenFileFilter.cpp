#include "app/OpenFileFilter.h"

#include <QStringList>
#include <array>

namespace velmora::app {

namespace {

constexpr std::array kEntries{
    FileFilterEntry{
        "所有支持的文件类型",
        "*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;"
        "*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;"
        "*.SWF;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;"
        "*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;"
        "*.m4v;*.3gpp;*.3gp2;*.qt"},
    FileFilterEntry{"所有的文件 (*.*)", "*.*"},
    FileFilterEntry{"AVI文件 (*.avi)", "*.avi"},
    FileFilterEntry{"MPEG文件 (*.mpg;*.mpeg)", "*.mpg;*.mpeg"},
    FileFilterEntry{"Windows Media文件 (*.wmv;*.asf;*.asx)", "*.wmv;*.asf;*.asx"},
    FileFilterEntry{"Dat文件 (*.dat)", "*.dat"},
    FileFilterEntry{"DVD光盘VOB文件 (*.vob)", "*.vob"},
    FileFilterEntry{"Real类型文件 (*.rm;*.rmvb)", "*.rm;*.rmvb"},
    FileFilterEntry{"MP4类型文件 (*.mp4;*.m4v)", "*.mp4;*.m4v"},
    FileFilterEntry{"手机3GP文件 (*.3gp;*.3gpp)", "*.3gp;*.3gpp"},
    FileFilterEntry{"手机3GPP2文件 (*.3g2;*.3gp2)", "*.3g2;*.3gp2"},
    FileFilterEntry{"Flash文件 (*.swf)", "*.swf"},
    FileFilterEntry{"Quick Time文件 (*.mov;*.qt)", "*.mov;*.qt"},
    FileFilterEntry{"FLV类型文件 (*.flv)", "*.flv"},
    FileFilterEntry{"Raw视频文件 (*.yuv)", "*.yuv"},
    FileFilterEntry{"Raw h261类型文件 (*.h261)", "*.h261"},
    FileFilterEntry{"Raw h264类型文件 (*.h264)", "*.h264"},
    FileFilterEntry{"MJPEG类型文件 (*.mjpeg)", "*.mjpeg"},
    FileFilterEntry{"MKV视频文件 (*.mkv)", "*.mkv"},
    FileFilterEntry{"DV视频文件 (*.dv;*.dif)", "*.dv;*.dif"},
};

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::span<const FileFilterEntry> openFileFilterEntries() {
    return kEntries;
}

QString openFileFilter() {
    QStringList filters;
    for (const FileFilterEntry& entry : kEntries) {
        QString patterns = fromView(entry.patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file; on Linux that pattern would skip names without a dot.
        if (patterns == QLatin1String("*.*")) {
            patterns = QStringLiteral("*");
        }
        filters << fromView(entry.description) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace velmora::app
