#pragma once

#include "core/session.h"
#include "photos/random_source.h"

#include <QString>

#include <functional>

namespace fotarel {

// Why a batch cannot be fitted with the installed templates; empty when it
// can. Checks, without changing anything, that every orientation occurring
// among `landscape`/`portrait` photos of a batch of `batchSize` has
// templates to draw from (and single-photo templates for leftovers).
QString fittingShortage(const Session& session, int batchSize, bool landscape, bool portrait);

// Fits the batch table: rebuilds the candidate lists for its size, draws a
// template for every group, assigns every batch row to a slot, increments
// the group counter per group and appends one photo table row per batch row
// (both done flags "jiancai_no"). `step` runs once per batch row (progress
// and message pumping). The caller checks fittingShortage() first.
void fitBatch(Session& session, RandomSource& random, const std::function<void()>& step = {});

} // namespace fotarel
