#pragma once

namespace vimbrel {

class RVLStarRating;

// Makes the star rating a slider to a screen reader: its value is the
// rating, from 0 to the number of stars, and setting the value rates.
void registerStarRatingAccessible(RVLStarRating* rating);

}  // namespace vimbrel
