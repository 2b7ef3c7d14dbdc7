#include "select/diagnostic/fault_classes.h"

#include <utility>

#include "select/faults/fault_rows.h"

namespace {

// Counts the row's faults of shared classes per class into `hits`, listing
// the classes met; calls visit(fault, class) for each before it counts.
template <typename Visit>
void tallyRow(FaultClasses& classes, const FaultTableRow& row, Visit visit) {
    forEachMarkedFault(row, classes.shared, [&](uint64_t number) {
        auto fault = static_cast<uint32_t>(number);
        uint32_t c = classes.classOf[fault];
        if (classes.hits[c] == 0) {
            classes.touched.push_back(c);
        }
        visit(fault, c);
        ++classes.hits[c];
    });
}

}  // namespace

FaultMarks detectedFaults(const PatternSet& patterns) {
    FaultMarks detected = noFaultMarks(patterns);
    for (const FaultTableRow& row : patterns.faultTable.rows) {
        markRowFaults(detected, row);
    }
    return detected;
}

FaultClasses oneClassOf(const PatternSet& patterns, FaultMarks faults) {
    FaultClasses classes;
    classes.shared = std::move(faults);
    classes.classOf.assign(faultNumberLimit(patterns), NoClass);
    classes.position.assign(faultNumberLimit(patterns), 0);
    forEachFaultOf(classes.shared, [&](uint64_t number) {
        auto fault = static_cast<uint32_t>(number);
        classes.classOf[fault] = 0;
        classes.position[fault] = static_cast<uint32_t>(classes.members.size());
        classes.members.push_back(fault);
    });
    if (!classes.members.empty()) {
        classes.classStart.push_back(0);
        classes.classSize.push_back(static_cast<uint32_t>(classes.members.size()));
        classes.hits.push_back(0);
        if (classes.members.size() == 1) {
            unmarkFault(classes.shared, classes.members[0]);
        }
    }
    return classes;
}

void refineByRow(FaultClasses& classes, const FaultTableRow& row) {
    // The row's faults of each class to the front of its range, in turn.
    tallyRow(classes, row, [&](uint32_t fault, uint32_t c) {
        uint32_t to = classes.classStart[c] + classes.hits[c];
        uint32_t from = classes.position[fault];
        uint32_t other = classes.members[to];
        classes.members[to] = fault;
        classes.position[fault] = to;
        classes.members[from] = other;
        classes.position[other] = from;
    });
    for (uint32_t c : classes.touched) {
        uint32_t moved = classes.hits[c];
        classes.hits[c] = 0;
        if (moved == classes.classSize[c]) {
            continue;
        }
        auto split = classCount(classes);
        uint32_t start = classes.classStart[c];
        classes.classStart.push_back(start);
        classes.classSize.push_back(moved);
        classes.hits.push_back(0);
        classes.classStart[c] = start + moved;
        classes.classSize[c] -= moved;
        for (uint32_t i = start; i < start + moved; ++i) {
            classes.classOf[classes.members[i]] = split;
        }
        if (moved == 1) {
            unmarkFault(classes.shared, classes.members[start]);
        }
        if (classes.classSize[c] == 1) {
            unmarkFault(classes.shared, classes.members[classes.classStart[c]]);
        }
    }
    classes.touched.clear();
}

uint64_t pairsSplitBy(FaultClasses& classes, const FaultTableRow& row) {
    tallyRow(classes, row, [](uint32_t, uint32_t) {});
    uint64_t pairs = 0;
    for (uint32_t c : classes.touched) {
        pairs += uint64_t{classes.hits[c]} * (classes.classSize[c] - classes.hits[c]);
        classes.hits[c] = 0;
    }
    classes.touched.clear();
    return pairs;
}

FaultClasses classesUnder(const PatternSet& patterns, const std::vector<uint32_t>& vectors, FaultMarks faults) {
    FaultClasses classes = oneClassOf(patterns, std::move(faults));
    for (uint32_t v : vectors) {
        refineByRow(classes, selectionRow(patterns, v));
    }
    return classes;
}
