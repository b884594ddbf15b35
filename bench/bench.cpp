// qvb_bench: times the converter's heavy steps on synthetic bodies of
// several sizes and prints each figure beside its baseline.
//
//   qvb_bench [--dir DIR] [--repeat R] [--run-repeat R] [--sizes NxM,...] [--large]
//             [--no-baseline] [--no-numpy] [--threads-only]
//
// Per size: reading the body file's bytes (page cache) against opening the
// body; invariants 5 and 9 (fast kernel against the per-pair way and the
// numpy peer); formatting the matrix text (fast formatter against fprintf
// and numpy.savetxt); whole qvb2mtx runs (all nodes, and the interface
// nodes only) against the same command on the reference build of libqvb
// (snprintf per number, invariants pair by pair), whose MTX file is compared
// with the fast one's (the same bytes but for the last digits of invariants
// 5 and 9); and a comparison of the body with its copy; each command with
// the child's peak memory against the body file's size. Times are medians of
// R runs (--repeat; --run-repeat for the commands) with ± half the spread
// (max - min) / median. The baselines run once. Then the floor of the whole
// conversion (formatting its number of values alone, writing its number of
// bytes alone) and the whole conversion on two threads against one;
// --threads-only runs that last row alone, for a quiet machine.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kernels/gram_invariants.h"
#include "convert/number_format.h"
#include "convert/ordered_text.h"
#include "convert/real_lines.h"
#include "qvb.h"
#include "reference_kernels.h"
#include "synthetic_body.h"

namespace fs = std::filesystem;
using qvb::bench::BodySize;

namespace {

// The text benchmark formats at most this many values (a multiple of 3).
constexpr size_t kTextValues = 6000000;

// Where the reference build of libqvb is (bench/CMakeLists.txt), if built.
#ifdef QVB_BENCH_REFERENCE_LIBRARY_DIR
const char *const kReferenceLibraryDir = QVB_BENCH_REFERENCE_LIBRARY_DIR;
#else
const char *const kReferenceLibraryDir = nullptr;
#endif

struct Options {
  fs::path dir = "bench-data";
  int repeat = 3;      // in-process figures
  int runRepeat = 1;  // whole command runs (tens of seconds each at 10^5 nodes)
  // Whole commands take minutes at 2 x 10^5 nodes; that size times the
  // kernels only unless it is asked for with --sizes.
  std::vector<BodySize> sizes = {{10000, 50, true}, {100000, 100, true}, {200000, 100, true, false}};
  bool baseline = true, numpy = true;
  bool threadsOnly = false;
};

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Stat {
  double median = 0, spread = 0;
  size_t runs = 0;
};

Stat summarise(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  Stat s;
  s.median = t[t.size() / 2];
  s.runs = t.size();
  s.spread = s.median > 0 ? (t.back() - t.front()) / s.median : 0;
  return s;
}

Stat time(int repeat, const std::function<void()> &work) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) {
    const double start = now();
    work();
    t.push_back(now() - start);
  }
  return summarise(t);
}

// The process's peak resident size since the last reset (mapped file pages
// count as they are touched).
double peakResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 6, "VmHWM:") == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

// Gives memory back and starts the peak resident size afresh.
void resetPeakResident() {
  malloc_trim(0);
  if (std::FILE *refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
}

std::string peakNote(double peakMb, double bodyMb) {
  char text[64];
  std::snprintf(text, sizeof text, "  peak %.0f MB = %.2f x body", peakMb, peakMb / bodyMb);
  return text;
}

double loadAverage() {
  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  return load[0];
}

// On a virtual machine whose memory balloon reports free memory to its
// host, every page handed back costs a host fault on its next first touch:
// that is most of a whole conversion's system time there, and it varies from
// run to run with how much was handed back. The header says whether it is
// on, since it decides how steady the whole-command rows can be.
std::string freePageReporting() {
  // The parameter exists wherever the kernel can report; only a balloon
  // device bound to its driver does.
  const fs::path balloon = "/sys/bus/virtio/drivers/virtio_balloon";
  std::error_code error;
  bool bound = false;
  for (fs::directory_iterator entry(balloon, error), end; !error && entry != end; entry.increment(error))
    bound = bound || entry->path().filename().string().rfind("virtio", 0) == 0;
  if (!bound) return "";
  std::ifstream parameter("/sys/module/page_reporting/parameters/page_reporting_order");
  int order = -1;
  if (!(parameter >> order)) return "";
  constexpr int kLargestFreeBlockOrder = 10;  // the system's largest free block, 4 MiB
  if (order > kLargestFreeBlockOrder) return ", free-page reporting to the host held off";
  return ", free pages of order " + std::to_string(order) + " and up reported to the host";
}

struct ChildRun {
  double seconds = -1;
  double peakMb = 0;
  int status = -1;
};

// Runs a command with its output discarded; wall time, peak resident size.
// libraryDir, when given, goes first on the child's LD_LIBRARY_PATH.
ChildRun runState(const std::vector<std::string> &args, const std::string &libraryDir = "") {
  ChildRun run;
  std::fflush(nullptr);  // or the child would print our pending output again
  // A child's peak size starts from the size it is forked at: give memory
  // back and reset this process's high-water mark so only the child counts.
  resetPeakResident();
  const double start = now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::FILE *sink = std::freopen("/dev/null", "w", stdout);
    (void)sink;
    if (!libraryDir.empty()) {
      const char *old = std::getenv("LD_LIBRARY_PATH");
      setenv("LD_LIBRARY_PATH", (libraryDir + (old != nullptr && *old != '\0' ? ":" + std::string(old) : "")).c_str(), 1);
    }
    std::vector<char *> argv;
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    run.seconds = now() - start;
    run.peakMb = usage.ru_maxrss / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return run;
}

Stat timeChild(int repeat, const std::vector<std::string> &args, double &peakMb, int &status,
               const std::string &libraryDir = "") {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) {
    const ChildRun run = runState(args, libraryDir);
    t.push_back(run.seconds);
    peakMb = std::max(peakMb, run.peakMb);
    status = run.status;
  }
  return summarise(t);
}

// Compares two MTX files made from the same body. Invariants 5 and 9 are
// sums over the nodes taken in a different order by the two kernels, so
// their last digits may differ; every other byte must be the same. Returns
// the note for the table: "same bytes", "bytes equal but" the matrices whose
// numbers differ with the largest difference, or where the files part.
std::string compareMtx(const fs::path &a, const fs::path &b) {
  std::ifstream inA(a), inB(b);
  if (!inA || !inB) return "OUTPUT MISSING";
  std::string lineA, lineB, matrix;
  std::vector<std::string> differing;  // matrices with differing numbers
  double diff = 0, largest = 0;
  for (size_t number = 1;; ++number) {
    const bool moreA = static_cast<bool>(std::getline(inA, lineA));
    const bool moreB = static_cast<bool>(std::getline(inB, lineB));
    if (moreA != moreB) return "OUTPUT DIFFERS (length)";
    if (!moreA) break;
    // A matrix header starts with its name; the value lines with blanks.
    if (!lineA.empty() && std::isalpha(static_cast<unsigned char>(lineA[0])))
      matrix = lineA.substr(0, lineA.find(' '));
    if (lineA == lineB) continue;
    std::istringstream wordsA(lineA), wordsB(lineB);
    std::string wordA, wordB;
    while (true) {
      const bool wordInA = static_cast<bool>(wordsA >> wordA), wordInB = static_cast<bool>(wordsB >> wordB);
      if (wordInA != wordInB) return "OUTPUT DIFFERS (line " + std::to_string(number) + ")";
      if (!wordInA) break;
      if (wordA == wordB) continue;
      char *endA = nullptr, *endB = nullptr;
      const double valueA = std::strtod(wordA.c_str(), &endA), valueB = std::strtod(wordB.c_str(), &endB);
      if (*endA != '\0' || *endB != '\0') return "OUTPUT DIFFERS (line " + std::to_string(number) + ")";
      diff = std::max(diff, std::fabs(valueA - valueB));
      largest = std::max(largest, std::fabs(valueB));
    }
    if (std::find(differing.begin(), differing.end(), matrix) == differing.end()) differing.push_back(matrix);
  }
  if (differing.empty()) return "same bytes";
  std::string note = "bytes equal but";
  for (const std::string &name : differing) note += " " + name;
  char text[64];
  std::snprintf(text, sizeof text, " (|diff| %.1e of %.1e)", diff, largest);
  return note + text;
}

size_t readAllBytes(const fs::path &path) {
  std::FILE *in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return 0;
  static std::vector<char> buffer(size_t{8} << 20);  // reused: fresh pages cost more than the copy
  size_t total = 0, got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) total += got;
  std::fclose(in);
  return total;
}

void tableLine(const char *what, Stat fast, const char *baseName, double base, const char *peerName,
          double peer, const char *note = "") {
  if (fast.runs > 1) std::printf("  %-26s %9.3f s  ±%3.0f%%", what, fast.median, 100 * fast.spread / 2);
  else std::printf("  %-26s %9.3f s   once", what, fast.median);
  if (base > 0) std::printf("  | %-9s %9.3f s %7.3gx", baseName, base, base / fast.median);
  else std::printf("  | %-9s %11s %8s", "", "", "");
  if (peer > 0) std::printf("  | %-8s %8.3f s %6.3gx", peerName, peer, peer / fast.median);
  std::printf("%s\n", note);
}

double maxAbsDifference(const std::vector<double> &a, const std::vector<double> &b, double &largest) {
  double diff = 0;
  largest = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    diff = std::max(diff, std::fabs(a[i] - b[i]));
    largest = std::max(largest, std::fabs(b[i]));
  }
  return diff;
}

// The whole conversion on two threads against one, the runs alternated so
// that a change in the machine's load falls on both alike; the load average
// before and after, since two threads need two free cores.
void threadRows(const Options &options, const std::string &qvb2mtx, const fs::path &bodyPath,
                const std::string &tag) {
  const fs::path one = options.dir / ("j1_" + tag), two = options.dir / ("j2_" + tag);
  std::vector<double> timesOne, timesTwo;
  double peak = 0;
  int statusOne = 0, statusTwo = 0;
  const double loadBefore = loadAverage();
  // Each run starts alike: no earlier file of its name whose cached pages
  // the run would drop when it puts its own in place, no earlier run's
  // gigabytes still on their way to the disk, and a disk done with the
  // blocks freed by the removal (a file system mounted with `discard`
  // hands them back to the device after the sync, for a second or two).
  auto fresh = [](const fs::path &output) {
    fs::remove(output.string() + ".mtx");
    sync();
    std::this_thread::sleep_for(std::chrono::seconds(3));
  };
  for (int i = 0; i < options.runRepeat; ++i) {
    fresh(one);
    timesOne.push_back(timeChild(1, {qvb2mtx, "-Q", "-j", "1", bodyPath.string(), "-o", one.string()}, peak, statusOne).median);
    fresh(two);
    timesTwo.push_back(timeChild(1, {qvb2mtx, "-Q", "-j", "2", bodyPath.string(), "-o", two.string()}, peak, statusTwo).median);
  }
  std::string note = "  " + compareMtx(one.string() + ".mtx", two.string() + ".mtx");
  if (statusOne != 0 || statusTwo != 0) note += "  (exit status not 0)";
  const Stat single = summarise(timesOne);
  char text[96];
  std::snprintf(text, sizeof text, ", -j 1 ±%.0f%%, load %.1f to %.1f", 100 * single.spread / 2, loadBefore,
                loadAverage());
  note += text;
  tableLine("qvb2mtx -j 2 (all nodes)", summarise(timesTwo), "-j 1", single.median, "", 0, note.c_str());
  fs::remove(one.string() + ".mtx");
  fs::remove(two.string() + ".mtx");
}

// The floor of a whole conversion that took `whole` and wrote `bytes`:
// formatting as many values as the file holds (three of 22 characters and
// a line end to 67 bytes), alone, on one thread into one reused buffer; and
// writing as many bytes, alone, from one reused buffer into a new file (the
// page cache). The values are the sample's, over and over.
void floorRows(const Options &options, const std::vector<double> &sample, size_t bytes, Stat whole) {
  if (sample.empty() || bytes == 0) return;
  const size_t values = bytes / 67 * 3;
  constexpr size_t kChunk = size_t{1} << 15;
  std::vector<char> text(kChunk * 23 + kChunk / 3 + 1);
  const Stat formatting = time(options.repeat, [&] {
    size_t next = 0;  // in the sample
    for (size_t done = 0; done < values;) {
      char *at = text.data();
      for (size_t i = 0; i < kChunk && done < values; ++i, ++done) {
        at += qvb::convert::formatScientific(at, sample[next], 22, 14);
        if (++next == sample.size()) next = 0;
        if (i % 3 == 2) *at++ = '\n';
      }
    }
  });
  std::vector<char> block(size_t{8} << 20, ' ');
  const fs::path path = options.dir / "floor.out";
  const Stat writing = time(options.repeat, [&] {
    fs::remove(path);
    std::FILE *out = std::fopen(path.c_str(), "w");
    if (out == nullptr) return;
    for (size_t left = bytes; left > 0;) {
      const size_t piece = std::min(left, block.size());
      if (std::fwrite(block.data(), 1, piece, out) != piece) break;
      left -= piece;
    }
    std::fclose(out);
  });
  fs::remove(path);
  char note[96];
  std::snprintf(note, sizeof note, "  (%.0fM values, one thread)", values / 1e6);
  tableLine("  floor: formatting alone", formatting, "", 0, "", 0, note);
  std::snprintf(note, sizeof note, "  (%.2f GB into a new file)", bytes / 1e9);
  tableLine("  floor: writing alone", writing, "", 0, "", 0, note);
  const double floor = formatting.median + writing.median;
  std::printf("  %-26s %9.2fx  (conversion %.3f s, floor %.3f s)\n", "  conversion over floor", whole.median / floor,
              whole.median, floor);
}

void benchSize(const Options &options, const BodySize &size, const fs::path &bin) {
  const std::string tag = std::to_string(size.nodes) + "x" + std::to_string(size.modes);
  const fs::path bodyPath = options.dir / ("body_" + tag + ".qvb");
  const fs::path copyPath = options.dir / ("copy_" + tag + ".qvb");
  if (!fs::exists(bodyPath)) {
    const double start = now();
    if (!qvb::bench::writeSyntheticBody(bodyPath, size)) return;
    std::printf("  (made %s in %.1f s)\n", bodyPath.c_str(), now() - start);
    fs::remove(copyPath);
  }
  const double bodyMb = static_cast<double>(fs::file_size(bodyPath)) / 1e6;
  std::printf("N = %d nodes, n = %d modes%s, body file %.0f MB, load average %.1f\n", size.nodes, size.modes,
              size.stresses ? " (with stresses)" : "", bodyMb, loadAverage());
  const std::string qvb2mtx = (bin / "qvb2mtx").string(), qvbcompare = (bin / "qvbcompare").string();
  if (options.threadsOnly) {
    readAllBytes(bodyPath);  // into the page cache
    threadRows(options, qvb2mtx, bodyPath, tag);
    return;
  }
  if (!fs::exists(copyPath)) fs::copy_file(bodyPath, copyPath);
  const int R = options.repeat;
  const bool baseline = options.baseline && !size.ownOnly, numpy = options.numpy && !size.ownOnly;

  readAllBytes(bodyPath);  // into the page cache
  size_t readBytes = 0;
  const Stat bytes = time(R, [&] { readBytes = readAllBytes(bodyPath); });
  if (readBytes != fs::file_size(bodyPath)) std::printf("  (read %zu bytes only)\n", readBytes);
  QVB_Handle body = nullptr;
  resetPeakResident();
  const Stat open = time(R, [&] {
    if (body != nullptr) QVB_Destroy(body);
    body = QVB_CreateFromQVB(bodyPath.c_str());
  });
  if (body == nullptr) {
    std::printf("  cannot open %s\n", bodyPath.c_str());
    return;
  }
  const std::string openNote = "  (ratio < 1: opening is slower than reading)" + peakNote(peakResidentMb(), bodyMb);
  tableLine("open .qvb (vs read bytes)", open, "bytes", bytes.median, "", 0, openNote.c_str());

  // The converter's path: masses and each selected mode's shapes once.
  const size_t nodes = static_cast<size_t>(size.nodes), n = static_cast<size_t>(size.modes);
  std::vector<double> masses(nodes), shapes(n * nodes * 3);
  const Stat fetch = time(R, [&] {
    for (size_t p = 0; p < nodes; ++p) masses[p] = QVB_NodalMass(body, static_cast<int>(p));
    for (size_t j = 0; j < n; ++j) QVB_Mode(body, static_cast<int>(j) + 1, 0, shapes.data() + j * nodes * 3, 0);
  });
  tableLine("fetch masses + shapes", fetch, "", 0, "", 0);

  std::vector<double> i5, i9, ref5, ref9;
  resetPeakResident();
  const Stat fast =
      time(R, [&] { qvb::kernels::computeInvariants5And9Fast(masses, shapes.data(), size.modes, i5, i9); });
  // The process's peak: the body and the fetched shapes are held meanwhile.
  const std::string invariantsPeak = peakNote(peakResidentMb(), bodyMb);
  double perPair = 0;
  std::string agreement;
  if (baseline) {
    perPair = time(1, [&] { qvb::bench::perPairInvariants(body, size.modes, ref5, ref9); }).median;
    // In sequence: the order of evaluation of two arguments is unspecified.
    double largest5 = 0, largest9 = 0;
    const double diff5 = maxAbsDifference(i5, ref5, largest5), diff9 = maxAbsDifference(i9, ref9, largest9);
    char text[96];
    std::snprintf(text, sizeof text, "  (max |diff| %.1e of max |I9| %.1e)", std::max(diff5, diff9), largest9);
    agreement = text;
  }

  // From here on only the arrays are needed; giving the body back keeps the
  // largest size (and the numpy peer's copies) within the machine.
  QVB_Destroy(body);

  // numpy peer on the same arrays.
  double numpyInvariants = 0, numpyText = 0;
  const size_t textCount = std::min(kTextValues, shapes.size());
  const fs::path textPath = options.dir / "text.out";
  if (numpy) {
    const fs::path arrays = options.dir / "arrays.f64";
    std::FILE *out = std::fopen(arrays.c_str(), "wb");
    if (out != nullptr) {
      std::fwrite(masses.data(), sizeof(double), masses.size(), out);
      std::fwrite(shapes.data(), sizeof(double), shapes.size(), out);
      std::fclose(out);
      const std::string command = std::string("/usr/bin/python3 ") + QVB_BENCH_SOURCE_DIR + "/numpy_peer.py " +
                                  arrays.string() + " " + std::to_string(nodes) + " " + std::to_string(n) + " " +
                                  std::to_string(textCount) + " " + textPath.string();
      if (std::FILE *pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf %lf", &numpyInvariants, &numpyText) != 2) numpyInvariants = numpyText = 0;
        while (std::fgetc(pipe) != EOF) {
        }  // the rest of its line, or the script dies of a broken pipe
        pclose(pipe);
      }
      fs::remove(arrays);
    }
  }
  agreement += invariantsPeak;
  tableLine("invariants 5+9", fast, "per-pair", perPair, "numpy", numpyInvariants, agreement.c_str());
  {
    std::vector<double> t5, t9;
    const Stat two =
        time(R, [&] { qvb::kernels::computeInvariants5And9Fast(masses, shapes.data(), size.modes, t5, t9, {}, 2); });
    tableLine("  same, 2 threads", two, "1 thread", fast.median, "", 0, t5 == i5 && t9 == i9 ? "  same bits" : "  BITS DIFFER");
  }

  // Matrix text: the first values of the shapes, three to a line, written
  // to a file (page cache) the way each implementation writes.
  const Stat text = time(R, [&] {
    std::FILE *out = std::fopen(textPath.c_str(), "w");
    qvb::convert::writeRealLines(out, shapes.data(), textCount, 3, 22, 14);
    std::fclose(out);
  });
  const Stat textTwo = time(R, [&] {
    std::FILE *out = std::fopen(textPath.c_str(), "w");
    qvb::convert::writeRealLinesOnThreads(out, shapes.data(), textCount, 3, 22, 14, 2);
    std::fclose(out);
  });
  // What the matrix writer gets by formatting each value and handing it to
  // the stream (one fwrite per value, the stream's own buffering).
  const Stat perValue = time(R, [&] {
    std::FILE *out = std::fopen(textPath.c_str(), "w");
    char piece[qvb::convert::kNumberTextMax];
    for (size_t i = 0; i < textCount; ++i) {
      std::fwrite(piece, 1, qvb::convert::formatScientific(piece, shapes[i], 22, 14), out);
      if (i % 3 == 2) std::fputc('\n', out);
    }
    std::fclose(out);
  });
  // The floor both sides stand on: writing the finished bytes.
  std::vector<char> finished(textCount * 23 + textCount / 3 + 1);
  size_t finishedSize = 0;
  for (size_t i = 0; i < textCount; ++i) {
    finishedSize += qvb::convert::formatScientific(finished.data() + finishedSize, shapes[i], 22, 14);
    if (i % 3 == 2) finished[finishedSize++] = '\n';
  }
  const Stat floor = time(R, [&] {
    std::FILE *out = std::fopen(textPath.c_str(), "w");
    std::fwrite(finished.data(), 1, finishedSize, out);
    std::fclose(out);
  });
  double printfText = 0;
  if (baseline)
    printfText = time(1, [&] {
      std::FILE *out = std::fopen(textPath.c_str(), "w");
      qvb::bench::printfRealLines(out, shapes.data(), textCount, 3, 22, 14);
      std::fclose(out);
    }).median;
  char what[64];
  std::snprintf(what, sizeof what, "MTX text, %.1fM values", textCount / 1e6);
  tableLine(what, text, "fprintf", printfText, "savetxt", numpyText, "  (chunked)");
  tableLine("  same, 2 threads", textTwo, "1 thread", text.median, "", 0);
  tableLine("  same, fwrite per value", perValue, "fprintf", printfText, "", 0);
  tableLine("  writing the bytes alone", floor, "", 0, "", 0);
  fs::remove(textPath);
  const std::vector<double> sample(shapes.begin(), shapes.begin() + static_cast<std::ptrdiff_t>(textCount));
  shapes = std::vector<double>();

  if (!size.commands) return;
  const fs::path mtx = options.dir / ("out_" + tag), referenceMtx = options.dir / ("ref_" + tag);
  struct Whole {
    const char *what;
    std::vector<std::string> args;
    std::vector<std::string> referenceArgs;  // empty: no reference run
  } runs[] = {
      {"qvb2mtx (all nodes)",
       {qvb2mtx, "-Q", bodyPath.string(), "-o", mtx.string()},
       {qvb2mtx, "-Q", bodyPath.string(), "-o", referenceMtx.string()}},
      {"qvb2mtx +N interface",
       {qvb2mtx, "-Q", bodyPath.string(), "+N", "1:20", "-o", mtx.string()},
       {qvb2mtx, "-Q", bodyPath.string(), "+N", "1:20", "-o", referenceMtx.string()}},
      {"qvbcompare body copy", {qvbcompare, bodyPath.string(), copyPath.string()}, {}},
  };
  Stat wholeTime;
  size_t wholeBytes = 0;
  for (const Whole &whole : runs) {
    double peak = 0;
    int status = 0;
    const Stat t = timeChild(options.runRepeat, whole.args, peak, status);
    if (&whole == &runs[0]) {
      wholeTime = t;
      std::error_code error;
      wholeBytes = static_cast<size_t>(fs::file_size(mtx.string() + ".mtx", error));
      if (error) wholeBytes = 0;
    }
    std::string note = "";
    double reference = 0;
    if (baseline && kReferenceLibraryDir != nullptr && !whole.referenceArgs.empty()) {
      // The same command on the reference library: once, and its output
      // checked byte for byte against the fast one's.
      double referencePeak = 0;
      int referenceStatus = 0;
      reference = timeChild(1, whole.referenceArgs, referencePeak, referenceStatus, kReferenceLibraryDir).median;
      note = "  " + compareMtx(mtx.string() + ".mtx", referenceMtx.string() + ".mtx") + ",";
      if (referenceStatus != 0) note += " (reference exit status not 0)";
      fs::remove(referenceMtx.string() + ".mtx");
    }
    note += peakNote(peak, bodyMb);
    if (status != 0) note += "  (exit status not 0)";
    char load[32];
    std::snprintf(load, sizeof load, ", load %.1f", loadAverage());
    note += load;
    tableLine(whole.what, t, "reference", reference, "", 0, note.c_str());
  }
  fs::remove(mtx.string() + ".mtx");
  if (size.ownOnly) return;
  floorRows(options, sample, wholeBytes, wholeTime);
  threadRows(options, qvb2mtx, bodyPath, tag);
}

bool parseSizes(const char *text, std::vector<BodySize> &sizes) {
  sizes.clear();
  std::string list = text;
  size_t at = 0;
  while (at < list.size()) {
    const size_t end = std::min(list.find(',', at), list.size());
    const std::string item = list.substr(at, end - at);
    const size_t x = item.find('x');
    if (x == std::string::npos) return false;
    sizes.push_back({static_cast<int>(std::atof(item.substr(0, x).c_str())), std::atoi(item.c_str() + x + 1), true});
    if (sizes.back().nodes <= 0 || sizes.back().modes <= 0) return false;
    at = end + 1;
  }
  return !sizes.empty();
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dir" && i + 1 < argc) options.dir = argv[++i];
    else if (a == "--repeat" && i + 1 < argc) options.repeat = std::max(1, std::atoi(argv[++i]));
    else if (a == "--run-repeat" && i + 1 < argc) options.runRepeat = std::max(1, std::atoi(argv[++i]));
    else if (a == "--sizes" && i + 1 < argc && parseSizes(argv[++i], options.sizes)) continue;
    else if (a == "--large") options.sizes.push_back({1000000, 200, false, true, true});
    else if (a == "--threads-only") options.threadsOnly = true;
    else if (a == "--no-baseline") options.baseline = false;
    else if (a == "--no-numpy") options.numpy = false;
    else {
      std::fprintf(stderr,
                   "usage: %s [--dir DIR] [--repeat R] [--run-repeat R] [--sizes 1e4x50,...] [--large] "
                   "[--no-baseline] [--no-numpy] [--threads-only]\n",
                   argv[0]);
      return 2;
    }
  }
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  if (std::getenv("TRX_USER_PLUGIN_DIR") == nullptr)
    setenv("TRX_USER_PLUGIN_DIR", (bin.parent_path() / "plugins").c_str(), 1);
  fs::create_directories(options.dir);
  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  std::printf("qvb_bench: %d repeats (commands %d), load average %.1f at start%s\n", options.repeat, options.runRepeat,
              load[0], freePageReporting().c_str());
  for (const BodySize &size : options.sizes) {
    benchSize(options, size, bin);
    std::fflush(stdout);
  }
  getloadavg(load, 3);
  std::printf("load average %.1f at end\n", load[0]);
  QVB_Terminate();
  return 0;
}
