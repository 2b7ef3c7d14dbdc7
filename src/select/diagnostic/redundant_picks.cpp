#include "select/diagnostic/redundant_picks.h"

#include "select/diagnostic/signature_key.h"
#include "select/diagnostic/signature_map.h"
#include "select/faults/fault_marks.h"

namespace {

// Every fault's detecting set among the chosen vectors as its signature
// hash (signature_key.h): faults of one class share it, and the hash of a
// fault without vector v is its hash XOR v's key. Two sets with one hash
// count as told apart no more: a collision (odds 2^-64 a pair) can only
// keep a vector that could go.
struct ChosenSignatures {
    const FaultClasses& kept;
    std::vector<uint64_t> hash;      // per fault
    std::vector<uint32_t> count;     // per fault: chosen vectors that detect it
    FaultMarks critical;             // the faults whose count is down to what they keep
    SignatureMap faultsWithHash;     // over the faults of the classes
};

bool inClasses(const ChosenSignatures& signatures, uint64_t fault) {
    return signatures.kept.classOf[fault] != NoClass;
}

void markCritical(ChosenSignatures& signatures, uint64_t fault, const std::vector<uint32_t>& keep) {
    if (signatures.count[fault] <= keep[fault]) {
        markFault(signatures.critical, fault);
    }
}

ChosenSignatures signaturesOf(const PatternSet& patterns, const FaultClasses& kept,
                              const std::vector<uint8_t>& chosen, const std::vector<uint32_t>& keep) {
    ChosenSignatures signatures{kept, std::vector<uint64_t>(kept.classOf.size(), 0),
                                std::vector<uint32_t>(kept.classOf.size(), 0), noFaultMarks(patterns), {}};
    for (uint32_t v = 0; v < chosen.size(); ++v) {
        if (chosen[v]) {
            uint64_t key = signatureKey(v);
            forEachFault(selectionRow(patterns, v), [&](uint64_t fault) {
                signatures.hash[fault] ^= key;
                ++signatures.count[fault];
            });
        }
    }
    size_t faults = 0;
    for (uint32_t c : kept.classOf) {
        faults += c != NoClass ? 1 : 0;
    }
    signatures.faultsWithHash = emptySignatureMap(faults);
    for (uint32_t fault = 0; fault < kept.classOf.size(); ++fault) {
        if (kept.classOf[fault] != NoClass) {
            addToSignature(signatures.faultsWithHash, signatures.hash[fault], 1);
            markCritical(signatures, fault, keep);
        }
    }
    return signatures;
}

bool needed(const ChosenSignatures& signatures, const FaultTableRow& row, uint64_t key) {
    return rowMeetsMarks(row, signatures.critical) || anyFault(row, [&](uint64_t fault) {
               return inClasses(signatures, fault) &&
                      signatureValue(signatures.faultsWithHash, signatures.hash[fault] ^ key) != 0;
           });
}

void removeVector(ChosenSignatures& signatures, const FaultTableRow& row, uint64_t key,
                  const std::vector<uint32_t>& keep) {
    forEachFault(row, [&](uint64_t fault) {
        if (inClasses(signatures, fault)) {
            removeFromSignature(signatures.faultsWithHash, signatures.hash[fault]);
            addToSignature(signatures.faultsWithHash, signatures.hash[fault] ^ key, 1);
        }
        signatures.hash[fault] ^= key;
        --signatures.count[fault];
        markCritical(signatures, fault, keep);
    });
}

}  // namespace

uint32_t dropRedundantPicks(const PatternSet& patterns, const FaultClasses& kept, std::vector<uint8_t>& chosen,
                            const std::vector<uint32_t>& order, const std::vector<uint32_t>& keep) {
    ChosenSignatures signatures = signaturesOf(patterns, kept, chosen, keep);
    uint32_t dropped = 0;
    for (uint32_t v : order) {
        uint64_t key = signatureKey(v);
        FaultTableRow row = selectionRow(patterns, v);
        if (!needed(signatures, row, key)) {
            removeVector(signatures, row, key, keep);
            chosen[v] = 0;
            ++dropped;
        }
    }
    return dropped;
}
