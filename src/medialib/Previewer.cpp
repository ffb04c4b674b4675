#include "medialib/Previewer.h"

#include <exception>
#include <mutex>

#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLogger.h"
#include "medialib/MediaUtils.h"

namespace velmora {

namespace {

struct FactorySlot {
    std::mutex mutex;
    PreviewWindowFactory factory;  // guarded by mutex
};

FactorySlot& factorySlot() {
    static FactorySlot slot;
    return slot;
}

PreviewWindowFactory currentFactory() {
    FactorySlot& slot = factorySlot();
    std::lock_guard lock(slot.mutex);
    return slot.factory;
}

}  // namespace

void SetPreviewWindowFactory(PreviewWindowFactory factory) {
    FactorySlot& slot = factorySlot();
    std::lock_guard lock(slot.mutex);
    slot.factory = std::move(factory);
}

TPreviewer::~TPreviewer() {
    if (m_window == nullptr) {
        return;
    }
    RunInMainThread([this] {
        try {
            m_window->close();
        } catch (const std::exception& e) {
            Logger().Log(this, TLogLevel::llError,
                         std::string("Closing the preview window failed: ") + e.what());
        }
        m_window.reset();
    });
}

bool TPreviewer::Show(const Bitmap& bitmap, int taskNumber, std::int64_t pts) {
    if (m_closed.load()) {
        return false;
    }
    m_taskNumber = taskNumber;
    m_pts = pts;
    RunInMainThread([&] { showOnMainThread(bitmap); });
    return !m_closed.load();
}

void TPreviewer::showOnMainThread(const Bitmap& bitmap) {
    if (m_closed.load()) {
        return;
    }
    try {
        if (m_window == nullptr) {
            const PreviewWindowFactory factory = currentFactory();
            if (factory) {
                m_window = factory();
            }
            if (m_window == nullptr) {
                m_closed.store(true);
                Logger().Log(this, TLogLevel::llWarning,
                             "Preview window is not available without the graphical interface");
                return;
            }
        }
        if (!m_window->show(bitmap, m_taskNumber, FormatTime(m_pts))) {
            m_closed.store(true);
        }
    } catch (const std::exception& e) {
        // A failing window ends the preview of this task, not the conversion.
        m_closed.store(true);
        Logger().Log(this, TLogLevel::llError, std::string("Preview window failed: ") + e.what());
    }
}

}  // namespace velmora
