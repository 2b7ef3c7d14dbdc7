#include "select/diagnostic/redundant_picks.h"

#include "select/diagnostic/row_faults.h"
#include "select/diagnostic/signature_counts.h"

namespace {

// Every fault's detecting set among the chosen vectors as the XOR of one
// random key per vector: faults of one class share their hash, and the
// hash of a fault without vector v is its hash XOR v's key. Two sets with
// one hash are told apart no more: a collision (odds 2^-64 a pair) can
// only keep a vector that could go.
uint64_t vectorKey(uint32_t vector) {
    uint64_t z = (uint64_t{vector} + 1) * 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

struct ChosenSignatures {
    std::vector<uint64_t> hash;   // per fault
    std::vector<uint32_t> count;  // per fault: chosen vectors that detect it
    SignatureCounts faultsWithHash;  // over the detected faults
};

ChosenSignatures signaturesOf(const FaultTable& table, const FaultClasses& detected,
                              const std::vector<uint8_t>& chosen) {
    ChosenSignatures signatures{std::vector<uint64_t>(detected.classOf.size(), 0),
                                std::vector<uint32_t>(detected.classOf.size(), 0), {}};
    for (uint32_t v = 0; v < chosen.size(); ++v) {
        if (chosen[v]) {
            uint64_t key = vectorKey(v);
            forRowFaults(tableRow(table, v), table, [&](uint32_t fault) {
                signatures.hash[fault] ^= key;
                ++signatures.count[fault];
            });
        }
    }
    size_t faults = 0;
    for (uint32_t c : detected.classOf) {
        faults += c != NoClass ? 1 : 0;
    }
    signatures.faultsWithHash = emptySignatureCounts(faults);
    for (size_t fault = 0; fault < detected.classOf.size(); ++fault) {
        if (detected.classOf[fault] != NoClass) {
            addSignature(signatures.faultsWithHash, signatures.hash[fault]);
        }
    }
    return signatures;
}

bool needed(const ChosenSignatures& signatures, const FaultTableRow& row, const FaultTable& table, uint64_t key,
            const std::vector<uint32_t>& keep) {
    return anyRowFault(row, table, [&](uint32_t fault) { return signatures.count[fault] <= keep[fault]; }) ||
           anyRowFault(row, table, [&](uint32_t fault) {
               return containsSignature(signatures.faultsWithHash, signatures.hash[fault] ^ key);
           });
}

void removeVector(ChosenSignatures& signatures, const FaultTableRow& row, const FaultTable& table, uint64_t key) {
    forRowFaults(row, table, [&](uint32_t fault) {
        removeSignature(signatures.faultsWithHash, signatures.hash[fault]);
        signatures.hash[fault] ^= key;
        addSignature(signatures.faultsWithHash, signatures.hash[fault]);
        --signatures.count[fault];
    });
}

}  // namespace

uint32_t dropRedundantPicks(const FaultTable& table, const FaultClasses& detected, std::vector<uint8_t>& chosen,
                            const std::vector<uint32_t>& order, const std::vector<uint32_t>& keep) {
    ChosenSignatures signatures = signaturesOf(table, detected, chosen);
    uint32_t dropped = 0;
    for (uint32_t v : order) {
        uint64_t key = vectorKey(v);
        FaultTableRow row = tableRow(table, v);
        if (!needed(signatures, row, table, key, keep)) {
            removeVector(signatures, row, table, key);
            chosen[v] = 0;
            ++dropped;
        }
    }
    return dropped;
}
