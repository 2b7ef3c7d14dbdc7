#include "model/ssbdd_model.h"

namespace {

// Clearing alone keeps the capacity; swapping with an empty table frees it.
template <typename Table>
void releaseTable(Table& table) {
    Table().swap(table);
}

}  // namespace

void releaseModel(SsbddModel& model) {
    releaseTable(model.nodes);
    releaseTable(model.graphs);
    releaseTable(model.nodeNames);
    releaseTable(model.variables);
    model = SsbddModel{};
}
