#include "convert/selection.h"

#include <algorithm>
#include <cstdio>

#include "qvb.h"

namespace qvb::convert {

bool selectNodes(const CommandLine &line, ConversionContext &context) {
  context.nodes.clear();
  QVB_Handle body = context.body;
  if (line.keepNodes.empty()) {
    const int count = QVB_NodeCount(body);
    // Leaving out every node leaves nothing to write.
    if (static_cast<int>(line.dropNodes.size()) == count) {
      std::printf("\n**ERROR^G** Failed to allocate memory for selected nodes at line %d in file %s.\n\n",
                  __LINE__, kSourceName);
      return false;
    }
    for (int i = 0; i < count; ++i) {
      const int id = QVB_NodeID(body, i);
      if (!std::binary_search(line.dropNodes.begin(), line.dropNodes.end(), id))
        context.nodes.push_back(i);
    }
  } else if (line.keepNodes.size() == 1 && line.keepNodes[0] == 0) {
    context.nodes.push_back(0);
  } else {
    for (int id : line.keepNodes) {
      const int index = QVB_NodeIndex(body, id);
      if (index < 0) {
        std::printf("\n**WARNING\a** The QVB or KT DB does not have Node %d, skip.\n\n", id);
        continue;
      }
      context.nodes.push_back(index);
    }
  }
  if (context.nodes.empty()) context.nodes.push_back(0);
  return true;
}

bool selectModes(const CommandLine &line, ConversionContext &context) {
  context.modes.clear();
  // Mode shapes are independent vectors of six values per node that carries
  // them, so no body has more modes than six times those nodes. A body that
  // claims more (a damaged or hostile file: 20,000 modes in 118 KB, or 3,000
  // modes on bare nodes in 177 KB) would make the mode-by-mode matrices take
  // memory out of all proportion to the file (9.4 GB; 2.2 GB).
  const int modes = QVB_ModeCount(context.body), nodes = QVB_ModeNodeCount(context.body, 0);
  if (modes > 6 * static_cast<long long>(std::max(nodes, 0))) {
    printError("The body declares %d modes with shapes at %d nodes (at most six modes a node): it is damaged", modes,
               nodes);
    return false;
  }
  if (!line.keepModes.empty()) {
    context.modes = line.keepModes;
    return true;
  }
  const int count = QVB_ModeCount(context.body);
  if (count > 0 && static_cast<int>(line.dropModes.size()) == count) {
    std::printf("\n**ERROR^G** Failed to allocate memory for selected modes at line %d in file %s.\n\n",
                __LINE__, kSourceName);
    return false;
  }
  // Every mode of the body. Bodies number their modes 1 to the count almost
  // always; taking the body's own numbers gives the same selection then, and
  // never a number without a mode when the numbering has gaps (1, 2, 7).
  for (int index = 0; index < count; ++index) {
    const int mode = QVB_ModeNumber(context.body, index);
    if (!std::binary_search(line.dropModes.begin(), line.dropModes.end(), mode))
      context.modes.push_back(mode);
  }
  std::sort(context.modes.begin(), context.modes.end());
  context.modes.erase(std::unique(context.modes.begin(), context.modes.end()), context.modes.end());
  return true;
}

}  // namespace qvb::convert
