// Where the About box's two buttons lead. These addresses live here and
// nowhere else; change them here when the pages move.
#pragma once

namespace korvath {

// The product's home page.
inline constexpr char kHomePageAddress[] = "https://korvath.example.org/";

// The processor vendor's processor lookup: the site, then the lookup
// page with its query, then the model number as the search key.
inline constexpr char kSpecFinderSite[] = "https://processorfinder.intel.com/";
inline constexpr char kSpecFinderQuery[] = "List.aspx?ParentRadio=All&ProcFam=0&SearchKey=";

}  // namespace korvath
