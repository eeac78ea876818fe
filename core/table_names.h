#pragma once

#include <QLatin1StringView>

// Names of the session's tables and list boxes.
namespace fotarel::tables {

// Template library scan and descriptions.
inline constexpr QLatin1StringView ScannedFiles{"ListBox_saomiaomobanwenjian"};
inline constexpr QLatin1StringView PairLines{"ListBox_saomiaomobanwenjian_bianhao"};
inline constexpr QLatin1StringView PairDescriptions{"ListBox_saomiaomobanwenjian_ini"};
inline constexpr QLatin1StringView PairMovies{"ListBox_saomiaomobanwenjian_swf"};
inline constexpr QLatin1StringView Templates{"ListView_mobancanshu"};

// Classification.
inline constexpr QLatin1StringView Landscape{"ListView_hengzhaopian"};
inline constexpr QLatin1StringView Portrait{"ListView_shuzhaopian"};
inline constexpr QLatin1StringView Mixed{"ListView_gaojimoban"};
inline constexpr QLatin1StringView OrientationBars{"ListBox_chuli_hengzhao_shuzhao_shuju_1"};
inline constexpr QLatin1StringView OrientationItems{"ListBox_chuli_hengzhao_shuzhao_shuju_2"};
inline constexpr QLatin1StringView SizeBars{"ListBox_chuli_zhaopianchicun_chuli_1"};
inline constexpr QLatin1StringView SlotWidths{"ListBox_chuli_zhaopianchicun_chuli_2"};
inline constexpr QLatin1StringView SlotHeights{"ListBox_chuli_zhaopianchicun_chuli_3"};

// Candidate lists filled by the fitting for every photo batch.
inline constexpr QLatin1StringView LandscapeCandidates{"ListView_hengzhaopian_suijishu"};
inline constexpr QLatin1StringView LandscapeSingleCandidates{"ListView_hengzhaopian_suijishu_wei_1"};
inline constexpr QLatin1StringView PortraitCandidates{"ListView_shuzhaopian_suijishu"};
inline constexpr QLatin1StringView PortraitSingleCandidates{"ListView_shuzhaopian_suijishu_wei_1"};

} // namespace fotarel::tables
