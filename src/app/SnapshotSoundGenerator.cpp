// Makes the shutter sound sounds/cam.wav at build time: two short clicks (the shutter opening
// and closing) of filtered noise over a low knock, 16-bit mono at 22050 Hz, about a quarter of a
// second. The same bytes on every build.
//   velmora_shutter_sound OUTPUT.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr double kLengthSeconds = 0.24;
constexpr double kPi = 3.14159265358979323846;

// A small fixed generator so the noise, and the file, never change.
class Noise {
public:
    double next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
    }

private:
    std::uint32_t m_state = 0x5eed1234u;
};

struct Click {
    double startSeconds;
    double noiseLevel;
    double noiseDecaySeconds;
    double knockHz;
    double knockLevel;
    double knockDecaySeconds;
};

// The shutter: a sharp opening click and a softer, lower closing one.
constexpr Click kClicks[] = {
    {0.000, 0.95, 0.006, 180.0, 0.55, 0.018},
    {0.085, 0.70, 0.010, 140.0, 0.45, 0.030},
};

std::vector<double> synthesise() {
    const int count = static_cast<int>(kLengthSeconds * kSampleRate);
    std::vector<double> samples(static_cast<std::size_t>(count), 0.0);
    Noise noise;
    for (const Click& click : kClicks) {
        double low = 0.0;
        const int start = static_cast<int>(click.startSeconds * kSampleRate);
        for (int i = start; i < count; ++i) {
            const double t = static_cast<double>(i - start) / kSampleRate;
            // Noise less its low part: a bright, metallic click rather than a hiss.
            const double white = noise.next();
            low += 0.25 * (white - low);
            const double bright =
                (white - low) * click.noiseLevel * std::exp(-t / click.noiseDecaySeconds);
            const double knock = std::sin(2.0 * kPi * click.knockHz * t) * click.knockLevel *
                                 std::exp(-t / click.knockDecaySeconds);
            samples[static_cast<std::size_t>(i)] += bright + knock;
        }
    }
    // A short fade at the end so the sound does not stop with a click of its own.
    const int fade = kSampleRate / 100;
    for (int i = 0; i < fade; ++i) {
        samples[static_cast<std::size_t>(count - 1 - i)] *= static_cast<double>(i) / fade;
    }
    return samples;
}

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string wavFile(const std::vector<double>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2);  // PCM
    put(out, 1, 2);  // mono
    put(out, kSampleRate, 4);
    put(out, kSampleRate * 2, 4);
    put(out, 2, 2);
    put(out, 16, 2);
    out += "data";
    put(out, dataBytes, 4);
    for (const double sample : samples) {
        const auto value =
            static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 30000.0));
        put(out, static_cast<std::uint16_t>(value), 2);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: velmora_shutter_sound OUTPUT.wav\n", stderr);
        return 2;
    }
    const std::string bytes = wavFile(synthesise());
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "velmora_shutter_sound: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
