// Placeholder until the model reader lands.
#include "driver/console.h"
#include "model/ssbdd_model.h"

SsbddModel readModel(const std::string& path) {
    reportProgress("Reading SSBDD-model file " + path);
    reportDone();
    return SsbddModel{};
}

void releaseModel(SsbddModel& model) {
    reportProgress("Deleting SSBDD-model from memory");
    model = SsbddModel{};
    reportDone();
}
