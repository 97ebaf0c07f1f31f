// Window measures are twips (1440 an inch); the screen counts pixels.
#pragma once

namespace kestle {

int twips_to_px(int twips);
int px_to_twips(int px);

} // namespace kestle
