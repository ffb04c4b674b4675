// The preview of a running conversion: a small always-on-top window that shows the picture being
// converted with its time in the title. The window itself belongs to the GUI, which registers a
// factory; without one the preview is unavailable and says so once in the log.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "medialib/Bitmap.h"

namespace velmora {

// Implemented by the GUI. Called on the main thread only.
class IPreviewWindow {
public:
    virtual ~IPreviewWindow() = default;
    // Shows the picture with the given title (creating the window on the first call). Returns
    // false once the user has closed the window.
    virtual bool show(const Bitmap& bitmap, int taskNumber, const std::string& title) = 0;
    // Closes the window; called once when its previewer goes away.
    virtual void close() = 0;
};

using PreviewWindowFactory = std::function<std::unique_ptr<IPreviewWindow>()>;

// Sets (or, with an empty function, removes) the process-wide window factory. Any thread.
void SetPreviewWindowFactory(PreviewWindowFactory factory);

// One per task. Show is called on the task's conversion thread and blocks until the main thread
// has drawn the picture (RunInMainThread), so the main thread must pump while conversions run.
class TPreviewer {
public:
    TPreviewer() = default;
    TPreviewer(const TPreviewer&) = delete;
    TPreviewer& operator=(const TPreviewer&) = delete;
    // Closes the window on the main thread (waits for it when called elsewhere).
    ~TPreviewer();

    // Shows the picture titled with FormatTime(pts). False once the window was closed by the
    // user, or when no window is available; from then on it does nothing and never creates a
    // window again.
    bool Show(const Bitmap& bitmap, int taskNumber, std::int64_t pts);

    bool Closed() const { return m_closed.load(); }
    int LastTaskNumber() const { return m_taskNumber; }
    std::int64_t LastPts() const { return m_pts; }

private:
    void showOnMainThread(const Bitmap& bitmap);

    std::unique_ptr<IPreviewWindow> m_window;  // touched on the main thread only
    std::atomic<bool> m_closed{false};
    // The last call's picture data; written by Show's caller before the main thread reads them.
    int m_taskNumber = 0;
    std::int64_t m_pts = 0;
};

}  // namespace velmora
