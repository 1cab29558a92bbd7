// Writes the client's two short sounds as 16-bit mono PCM wave files:
//   phnring.wav - a telephone ring: two bursts of a two-tone bell struck
//                 20 times a second
//   buzzer.wav  - a harsh low buzzer
// Usage: makewav <output folder>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void Put16(std::ofstream& out, uint16_t v) {
  out.put(static_cast<char>(v & 0xff));
  out.put(static_cast<char>(v >> 8));
}
void Put32(std::ofstream& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xffff));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

bool WriteWave(const std::string& path, const std::vector<double>& samples) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  Put32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kRate);
  Put32(out, kRate * 2);
  Put16(out, 2);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, dataBytes);
  for (double s : samples) {
    double c = std::fmax(-1.0, std::fmin(1.0, s));
    Put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(c * 32000.0))));
  }
  // The last bytes reach the file only when it is closed: a full disk shows there.
  out.close();
  return !out.fail();
}

// Short linear ramps at both ends of a burst, so it starts and stops without clicks.
double Envelope(double t, double length, double ramp = 0.01) {
  if (t < ramp) return t / ramp;
  if (t > length - ramp) return std::fmax(0.0, (length - t) / ramp);
  return 1.0;
}

std::vector<double> Ring() {
  std::vector<double> s;
  const double burst = 0.4, gap = 0.2;
  for (int b = 0; b < 2; ++b) {
    for (int i = 0; i < static_cast<int>(burst * kRate); ++i) {
      double t = static_cast<double>(i) / kRate;
      // Each strike of the clapper decays quickly.
      double strike = std::exp(-std::fmod(t, 0.05) * 40.0);
      double tone = 0.55 * std::sin(2 * kPi * 1000 * t) + 0.45 * std::sin(2 * kPi * 1300 * t);
      s.push_back(0.7 * strike * tone * Envelope(t, burst));
    }
    if (b == 0) s.insert(s.end(), static_cast<std::size_t>(gap * kRate), 0.0);
  }
  s.insert(s.end(), static_cast<std::size_t>(0.05 * kRate), 0.0);
  return s;
}

std::vector<double> Buzzer() {
  std::vector<double> s;
  const double length = 0.7;
  for (int i = 0; i < static_cast<int>(length * kRate); ++i) {
    double t = static_cast<double>(i) / kRate;
    double v = 0;
    // A square-like wave: odd harmonics of a low note, slightly detuned pair.
    for (int h = 1; h <= 15; h += 2) v += std::sin(2 * kPi * 120 * h * t) / h + std::sin(2 * kPi * 123 * h * t) / h;
    s.push_back(0.35 * v * Envelope(t, length, 0.02));
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: makewav <output folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  if (!WriteWave(dir + "/phnring.wav", Ring()) || !WriteWave(dir + "/buzzer.wav", Buzzer())) {
    std::fprintf(stderr, "makewav: cannot write the wave files into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
