// Writes the binary seed inputs of the file-reading fuzz targets from one
// real body: the body file, the database, and the body's encoded blocks in
// each target's record layout.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "block_codec.h"
#include "body_file.h"
#include "qvb.h"
#include "support/library_table.h"
#include "support/test_support.h"

namespace {

void writeSeed(const std::string &path, char first, const std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  std::fputc(first, f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Records of (block, length, payload); the block number takes blockWidth
// bytes. Blocks longer than 65535 bytes do not fit the format and are left out.
std::string records(const qvb::body::EncodedBlocks &blocks, int blockWidth) {
  std::string out;
  for (const auto &[block, bytes] : blocks) {
    if (bytes.size() > 0xFFFF) continue;
    out.push_back(char(block));
    if (blockWidth == 2) out.push_back(char(block >> 8));
    out.push_back(char(bytes.size()));
    out.push_back(char(bytes.size() >> 8));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qvb_fuzz_seeds <corpus root> <scratch folder>\n");
    return 2;
  }
  const std::string corpus = argv[1], scratch = argv[2];
  setenv("TRX_USER_PLUGIN_DIR", QVB_FUZZ_PLUGIN_DIR, 1);
  QVB_Handle body = qvbtest::buildLibraryBody();
  const std::string file = scratch + "/seed.qvb", database = scratch + "/seed.master";
  if (body == nullptr || !QVB_write_QVB(body, file.c_str()) || !QVB_write_QVB(body, (database + "::panel").c_str())) {
    std::fprintf(stderr, "could not write the seed body\n");
    return 1;
  }
  QVB_Destroy(body);
  QVB_Terminate();

  const std::string fileBytes = qvbtest::readFile(file);
  writeSeed(corpus + "/fuzz_qvb_file/sample-fixed", 1, fileBytes);
  writeSeed(corpus + "/fuzz_qvb_file/sample-raw", 0, fileBytes);
  writeSeed(corpus + "/fuzz_master_db/sample-raw", 0, qvbtest::readFile(database));

  std::string error;
  auto read = qvb::qvbflex::readBody(file, 1, false, &error);
  if (!read) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const qvb::body::EncodedBlocks blocks = qvb::body::encodeBody(*read);
  const std::string codec = records(blocks, 1);
  writeSeed(corpus + "/fuzz_block_codec/sample", codec[0], codec.substr(1));
  writeSeed(corpus + "/fuzz_master_db/sample-blocks", 1, records(blocks, 2));
  return 0;
}
