// Base of the media components: a free-text About property.
#pragma once

#include <string>

namespace velmora {

class TMediaComponent {
public:
    virtual ~TMediaComponent() = default;

    const std::string& About() const { return m_about; }
    void SetAbout(const std::string& text) { m_about = text; }

private:
    std::string m_about;
};

}  // namespace velmora
