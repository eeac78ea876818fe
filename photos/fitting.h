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

// Photos and slots whose sides are further apart than this are panoramas
// (or tall photos) and pan templates.
inline constexpr double kPanAspect = 2.2;

// Fits the batch table: rebuilds the candidate lists for its size, draws a
// template for every group, assigns every batch row to a slot, increments
// the group counter per group and appends one photo table row per batch row
// (both done flags "jiancai_no"). `step` runs once per batch row (progress
// and message pumping). The caller checks fittingShortage() first. A photo
// whose sides are more than kPanAspect apart gets a group of its own with
// the pan template whose slot shape is nearest its own, where the library
// has one of its orientation; pan templates are never drawn for others.
void fitBatch(Session& session, RandomSource& random, const std::function<void()>& step = {});

// The name a user gives a template: its name in the library without the
// package's extension, which is the name of its source in library/ (such
// as "h1_03_push_pan").
QString templateShortName(const QString& moviePath);

// Gives group `group` among the photo table's rows from `firstRow` on the
// template named `name` (short or full name), its photos taking the slots in album order. The
// template must be of the group's orientation and have as many slots as
// the group has photos. Empty on success, else why not (nothing changed).
QString fixGroupTemplate(Session& session, int group, const QString& name, int firstRow);

} // namespace fotarel
