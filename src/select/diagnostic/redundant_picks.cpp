#include "select/diagnostic/redundant_picks.h"

#include "select/diagnostic/row_faults.h"
#include "select/diagnostic/signature_key.h"
#include "select/diagnostic/signature_map.h"

namespace {

// Every fault's detecting set among the chosen vectors as its signature
// hash (signature_key.h): faults of one class share it, and the hash of a
// fault without vector v is its hash XOR v's key. Two sets with one hash
// count as told apart no more: a collision (odds 2^-64 a pair) can only
// keep a vector that could go.
struct ChosenSignatures {
    std::vector<uint64_t> hash;      // per fault
    std::vector<uint32_t> count;     // per fault: chosen vectors that detect it
    std::vector<uint64_t> critical;  // a plane: the faults whose count is down to what they keep
    SignatureMap faultsWithHash;     // over the detected faults
};

void markCritical(ChosenSignatures& signatures, uint32_t fault, const std::vector<uint32_t>& keep) {
    if (signatures.count[fault] <= keep[fault]) {
        markFault(signatures.critical, fault);
    }
}

ChosenSignatures signaturesOf(const FaultTable& table, const FaultClasses& detected,
                              const std::vector<uint8_t>& chosen, const std::vector<uint32_t>& keep) {
    ChosenSignatures signatures{std::vector<uint64_t>(detected.classOf.size(), 0),
                                std::vector<uint32_t>(detected.classOf.size(), 0),
                                std::vector<uint64_t>(2 * size_t{table.maxWords}, 0), {}};
    for (uint32_t v = 0; v < chosen.size(); ++v) {
        if (chosen[v]) {
            uint64_t key = signatureKey(v);
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
    signatures.faultsWithHash = emptySignatureMap(faults);
    for (uint32_t fault = 0; fault < detected.classOf.size(); ++fault) {
        if (detected.classOf[fault] != NoClass) {
            addToSignature(signatures.faultsWithHash, signatures.hash[fault], 1);
            markCritical(signatures, fault, keep);
        }
    }
    return signatures;
}

bool detectsCritical(const ChosenSignatures& signatures, const FaultTableRow& row, const FaultTable& table) {
    uint64_t any = 0;
    for (uint32_t plane = 0; plane < 2; ++plane) {
        for (uint32_t w = 0; w < row.words; ++w) {
            any |= row.bits[plane * size_t{row.words} + w] & signatures.critical[plane * size_t{table.maxWords} + w];
        }
    }
    return any != 0;
}

bool needed(const ChosenSignatures& signatures, const FaultTableRow& row, const FaultTable& table, uint64_t key) {
    return detectsCritical(signatures, row, table) || anyRowFault(row, table, [&](uint32_t fault) {
               return signatureValue(signatures.faultsWithHash, signatures.hash[fault] ^ key) != 0;
           });
}

void removeVector(ChosenSignatures& signatures, const FaultTableRow& row, const FaultTable& table, uint64_t key,
                  const std::vector<uint32_t>& keep) {
    forRowFaults(row, table, [&](uint32_t fault) {
        removeFromSignature(signatures.faultsWithHash, signatures.hash[fault]);
        signatures.hash[fault] ^= key;
        addToSignature(signatures.faultsWithHash, signatures.hash[fault], 1);
        --signatures.count[fault];
        markCritical(signatures, fault, keep);
    });
}

}  // namespace

uint32_t dropRedundantPicks(const FaultTable& table, const FaultClasses& detected, std::vector<uint8_t>& chosen,
                            const std::vector<uint32_t>& order, const std::vector<uint32_t>& keep) {
    ChosenSignatures signatures = signaturesOf(table, detected, chosen, keep);
    uint32_t dropped = 0;
    for (uint32_t v : order) {
        uint64_t key = signatureKey(v);
        FaultTableRow row = tableRow(table, v);
        if (!needed(signatures, row, table, key)) {
            removeVector(signatures, row, table, key, keep);
            chosen[v] = 0;
            ++dropped;
        }
    }
    return dropped;
}
