#include "game/trig.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>

// The game's float and double arithmetic is written so that every step rounds to its
// own type; a build that keeps wider intermediates (x87) would compute other states.
static_assert(FLT_EVAL_METHOD == 0, "float and double must be evaluated in their own precision");

namespace {

// cos and sin of every whole degree from -360 to 360, as the Windows program's C
// library gives them for the float argument r. They agree with glibc's but for a few
// degrees (13, 19, 22, 57, 68, ...) where the two round the last bit differently;
// the unit tests compare every entry with the C library they run on.
constexpr CosSin wholeDegrees[721] = {
    {0x1p+0f, -0x1.777a5cp-23f},        // -360
    {0x1.ffec0ap-1f, 0x1.1df18cp-6f},   // -359
    {0x1.ffb028p-1f, 0x1.1de5c4p-5f},   // -358
    {0x1.ff4c5ep-1f, 0x1.acbc78p-5f},   // -357
    {0x1.fec0b8p-1f, 0x1.1db8dep-4f},   // -356
    {0x1.fe0d3ap-1f, 0x1.64fdb8p-4f},   // -355
    {0x1.fd31f8p-1f, 0x1.ac263cp-4f},   // -354
    {0x1.fc2f02p-1f, 0x1.f32d5cp-4f},   // -353
    {0x1.fb046ap-1f, 0x1.1d06c8p-3f},   // -352
    {0x1.f9b24ap-1f, 0x1.4060a8p-3f},   // -351
    {0x1.f838b8p-1f, 0x1.63a1ccp-3f},   // -350
    {0x1.f697d6p-1f, 0x1.86c6f4p-3f},   // -349
    {0x1.f4cfc2p-1f, 0x1.a9cda4p-3f},   // -348
    {0x1.f2e0a2p-1f, 0x1.ccb32p-3f},    // -347
    {0x1.f0ca9cp-1f, 0x1.ef74aep-3f},   // -346
    {0x1.ee8dd2p-1f, 0x1.0907ecp-2f},   // -345
    {0x1.ec2a7cp-1f, 0x1.1a40b8p-2f},   // -344
    {0x1.e9a0c6p-1f, 0x1.2b638p-2f},    // -343
    {0x1.e6f0e2p-1f, 0x1.3c6efp-2f},    // -342
    {0x1.e41b04p-1f, 0x1.4d61b4p-2f},   // -341
    {0x1.e11f62p-1f, 0x1.5e3a96p-2f},   // -340
    {0x1.ddfe4p-1f, 0x1.6ef80ap-2f},    // -339
    {0x1.dab7d8p-1f, 0x1.7f98e2p-2f},   // -338
    {0x1.d74c6ap-1f, 0x1.901bcep-2f},   // -337
    {0x1.d3bc3ep-1f, 0x1.a07f88p-2f},   // -336
    {0x1.d0079p-1f, 0x1.b0c2e4p-2f},    // -335
    {0x1.cc2ebap-1f, 0x1.c0e464p-2f},   // -334
    {0x1.c83202p-1f, 0x1.d0e2e4p-2f},   // -333
    {0x1.c411b6p-1f, 0x1.e0bd22p-2f},   // -332
    {0x1.bfce2ap-1f, 0x1.f071e4p-2f},   // -331
    {0x1.bb67acp-1f, 0x1.000006p-1f},   // -330
    {0x1.b6deap-1f, 0x1.07b314p-1f},    // -329
    {0x1.b2335cp-1f, 0x1.0f5194p-1f},   // -328
    {0x1.ad663cp-1f, 0x1.16daeap-1f},   // -327
    {0x1.a87798p-1f, 0x1.1e4e9p-1f},    // -326
    {0x1.a367e2p-1f, 0x1.25abd4p-1f},   // -325
    {0x1.9e3778p-1f, 0x1.2cf232p-1f},   // -324
    {0x1.98e6c2p-1f, 0x1.342118p-1f},   // -323
    {0x1.937628p-1f, 0x1.3b37f8p-1f},   // -322
    {0x1.8de60ep-1f, 0x1.42365p-1f},    // -321
    {0x1.8836f6p-1f, 0x1.491b7ap-1f},   // -320
    {0x1.82694ap-1f, 0x1.4fe6fap-1f},   // -319
    {0x1.7c7d7cp-1f, 0x1.569848p-1f},   // -318
    {0x1.767402p-1f, 0x1.5d2eep-1f},    // -317
    {0x1.704d48p-1f, 0x1.63aa48p-1f},   // -316
    {0x1.6a09e2p-1f, 0x1.6a09eap-1f},   // -315
    {0x1.63aa42p-1f, 0x1.704d5p-1f},    // -314
    {0x1.5d2ee4p-1f, 0x1.7673fcp-1f},   // -313
    {0x1.56984ep-1f, 0x1.7c7d78p-1f},   // -312
    {0x1.4fe6f2p-1f, 0x1.82695p-1f},    // -311
    {0x1.491b72p-1f, 0x1.8836fcp-1f},   // -310
    {0x1.423648p-1f, 0x1.8de614p-1f},   // -309
    {0x1.3b37fcp-1f, 0x1.937624p-1f},   // -308
    {0x1.34211ep-1f, 0x1.98e6bep-1f},   // -307
    {0x1.2cf22ap-1f, 0x1.9e377ep-1f},   // -306
    {0x1.25abccp-1f, 0x1.a367e8p-1f},   // -305
    {0x1.1e4e88p-1f, 0x1.a8779ep-1f},   // -304
    {0x1.16dafp-1f, 0x1.ad6638p-1f},    // -303
    {0x1.0f519ap-1f, 0x1.b23358p-1f},   // -302
    {0x1.07b30cp-1f, 0x1.b6dea6p-1f},   // -301
    {0x1.fffffap-2f, 0x1.bb67bp-1f},    // -300
    {0x1.f071fp-2f, 0x1.bfce28p-1f},    // -299
    {0x1.e0bd2ep-2f, 0x1.c411b4p-1f},   // -298
    {0x1.d0e2d2p-2f, 0x1.c83206p-1f},   // -297
    {0x1.c0e454p-2f, 0x1.cc2ebep-1f},   // -296
    {0x1.b0c2d2p-2f, 0x1.d00794p-1f},   // -295
    {0x1.a07f94p-2f, 0x1.d3bc3ap-1f},   // -294
    {0x1.901bdap-2f, 0x1.d74c68p-1f},   // -293
    {0x1.7f98dp-2f, 0x1.dab7dap-1f},    // -292
    {0x1.6ef7f8p-2f, 0x1.ddfe42p-1f},   // -291
    {0x1.5e3a84p-2f, 0x1.e11f64p-1f},   // -290
    {0x1.4d61cp-2f, 0x1.e41b02p-1f},    // -289
    {0x1.3c6efcp-2f, 0x1.e6f0ep-1f},    // -288
    {0x1.2b636ep-2f, 0x1.e9a0cap-1f},   // -287
    {0x1.1a40a4p-2f, 0x1.ec2a8p-1f},    // -286
    {0x1.0907dap-2f, 0x1.ee8dd4p-1f},   // -285
    {0x1.ef74c6p-3f, 0x1.f0ca9ap-1f},   // -284
    {0x1.ccb338p-3f, 0x1.f2e0ap-1f},    // -283
    {0x1.a9cd7ep-3f, 0x1.f4cfc4p-1f},   // -282
    {0x1.86c6cep-3f, 0x1.f697d8p-1f},   // -281
    {0x1.63a1a4p-3f, 0x1.f838b8p-1f},   // -280
    {0x1.4060cp-3f, 0x1.f9b248p-1f},    // -279
    {0x1.1d06ep-3f, 0x1.fb046ap-1f},    // -278
    {0x1.f32d0ep-4f, 0x1.fc2f04p-1f},   // -277
    {0x1.ac25eep-4f, 0x1.fd31fap-1f},   // -276
    {0x1.64fd6ap-4f, 0x1.fe0d3cp-1f},   // -275
    {0x1.1db91p-4f, 0x1.fec0b6p-1f},    // -274
    {0x1.acbcdcp-5f, 0x1.ff4c5ep-1f},   // -273
    {0x1.1de528p-5f, 0x1.ffb028p-1f},   // -272
    {0x1.1df056p-6f, 0x1.ffec0ap-1f},   // -271
    {0x1.99bc5cp-27f, 0x1p+0f},         // -270
    {-0x1.1df03cp-6f, 0x1.ffec0ap-1f},  // -269
    {-0x1.1de61cp-5f, 0x1.ffb028p-1f},  // -268
    {-0x1.acbccep-5f, 0x1.ff4c5ep-1f},  // -267
    {-0x1.1db90ap-4f, 0x1.fec0b6p-1f},  // -266
    {-0x1.64fd64p-4f, 0x1.fe0d3cp-1f},  // -265
    {-0x1.ac25e8p-4f, 0x1.fd31fap-1f},  // -264
    {-0x1.f32d88p-4f, 0x1.fc2f02p-1f},  // -263
    {-0x1.1d06dep-3f, 0x1.fb046ap-1f},  // -262
    {-0x1.4060bep-3f, 0x1.f9b248p-1f},  // -261
    {-0x1.63a1a2p-3f, 0x1.f838bap-1f},  // -260
    {-0x1.86c6cap-3f, 0x1.f697d8p-1f},  // -259
    {-0x1.a9cdbap-3f, 0x1.f4cfc2p-1f},  // -258
    {-0x1.ccb334p-3f, 0x1.f2e0a2p-1f},  // -257
    {-0x1.ef74c4p-3f, 0x1.f0ca9ap-1f},  // -256
    {-0x1.0907d8p-2f, 0x1.ee8dd6p-1f},  // -255
    {-0x1.1a40a4p-2f, 0x1.ec2a8p-1f},   // -254
    {-0x1.2b638ap-2f, 0x1.e9a0c4p-1f},  // -253
    {-0x1.3c6efap-2f, 0x1.e6f0ep-1f},   // -252
    {-0x1.4d61bep-2f, 0x1.e41b02p-1f},  // -251
    {-0x1.5e3a82p-2f, 0x1.e11f66p-1f},  // -250
    {-0x1.6ef7f6p-2f, 0x1.ddfe44p-1f},  // -249
    {-0x1.7f98ecp-2f, 0x1.dab7d6p-1f},  // -248
    {-0x1.901bd8p-2f, 0x1.d74c68p-1f},  // -247
    {-0x1.a07f92p-2f, 0x1.d3bc3ap-1f},  // -246
    {-0x1.b0c2d2p-2f, 0x1.d00794p-1f},  // -245
    {-0x1.c0e452p-2f, 0x1.cc2ebep-1f},  // -244
    {-0x1.d0e2eep-2f, 0x1.c832p-1f},    // -243
    {-0x1.e0bd2cp-2f, 0x1.c411b4p-1f},  // -242
    {-0x1.f071eep-2f, 0x1.bfce28p-1f},  // -241
    {-0x1.fffffap-2f, 0x1.bb67bp-1f},   // -240
    {-0x1.07b31ap-1f, 0x1.b6de9ep-1f},  // -239
    {-0x1.0f5198p-1f, 0x1.b2335ap-1f},  // -238
    {-0x1.16dafp-1f, 0x1.ad663ap-1f},   // -237
    {-0x1.1e4e88p-1f, 0x1.a8779ep-1f},  // -236
    {-0x1.25abccp-1f, 0x1.a367e8p-1f},  // -235
    {-0x1.2cf236p-1f, 0x1.9e3774p-1f},  // -234
    {-0x1.34211ep-1f, 0x1.98e6bep-1f},  // -233
    {-0x1.3b37fcp-1f, 0x1.937624p-1f},  // -232
    {-0x1.423646p-1f, 0x1.8de614p-1f},  // -231
    {-0x1.491b72p-1f, 0x1.8836fep-1f},  // -230
    {-0x1.4fe6f8p-1f, 0x1.82694cp-1f},  // -229
    {-0x1.56984cp-1f, 0x1.7c7d78p-1f},  // -228
    {-0x1.5d2ee4p-1f, 0x1.7673fep-1f},  // -227
    {-0x1.63aa42p-1f, 0x1.704d5p-1f},   // -226
    {-0x1.6a09e8p-1f, 0x1.6a09e4p-1f},  // -225
    {-0x1.704d4ep-1f, 0x1.63aa44p-1f},  // -224
    {-0x1.7674p-1f, 0x1.5d2eep-1f},     // -223
    {-0x1.7c7d7ap-1f, 0x1.56984ap-1f},  // -222
    {-0x1.82694ap-1f, 0x1.4fe6fap-1f},  // -221
    {-0x1.8836fcp-1f, 0x1.491b74p-1f},  // -220
    {-0x1.8de612p-1f, 0x1.42364ap-1f},  // -219
    {-0x1.937628p-1f, 0x1.3b37f8p-1f},  // -218
    {-0x1.98e6cp-1f, 0x1.34211ap-1f},   // -217
    {-0x1.9e377cp-1f, 0x1.2cf22cp-1f},  // -216
    {-0x1.a367e6p-1f, 0x1.25abcep-1f},  // -215
    {-0x1.a8779cp-1f, 0x1.1e4e8ap-1f},  // -214
    {-0x1.ad663cp-1f, 0x1.16daecp-1f},  // -213
    {-0x1.b2335cp-1f, 0x1.0f5194p-1f},  // -212
    {-0x1.b6dea4p-1f, 0x1.07b30ep-1f},  // -211
    {-0x1.bb67aep-1f, 0x1.fffffep-2f},  // -210
    {-0x1.bfce26p-1f, 0x1.f071f4p-2f},  // -209
    {-0x1.c411b6p-1f, 0x1.e0bd24p-2f},  // -208
    {-0x1.c83202p-1f, 0x1.d0e2e6p-2f},  // -207
    {-0x1.cc2ebep-1f, 0x1.c0e458p-2f},  // -206
    {-0x1.d00794p-1f, 0x1.b0c2d8p-2f},  // -205
    {-0x1.d3bc3cp-1f, 0x1.a07f8ap-2f},  // -204
    {-0x1.d74c6ap-1f, 0x1.901bdp-2f},   // -203
    {-0x1.dab7d6p-1f, 0x1.7f98e2p-2f},  // -202
    {-0x1.ddfe42p-1f, 0x1.6ef7fcp-2f},  // -201
    {-0x1.e11f64p-1f, 0x1.5e3a88p-2f},  // -200
    {-0x1.e41b04p-1f, 0x1.4d61b6p-2f},  // -199
    {-0x1.e6f0e2p-1f, 0x1.3c6ef2p-2f},  // -198
    {-0x1.e9a0c6p-1f, 0x1.2b6382p-2f},  // -197
    {-0x1.ec2a7ep-1f, 0x1.1a40aap-2f},  // -196
    {-0x1.ee8dd4p-1f, 0x1.0907dep-2f},  // -195
    {-0x1.f0ca9ap-1f, 0x1.ef74b2p-3f},  // -194
    {-0x1.f2e0a2p-1f, 0x1.ccb322p-3f},  // -193
    {-0x1.f4cfc2p-1f, 0x1.a9cda8p-3f},  // -192
    {-0x1.f697d6p-1f, 0x1.86c6d8p-3f},  // -191
    {-0x1.f838b8p-1f, 0x1.63a1aep-3f},  // -190
    {-0x1.f9b24ap-1f, 0x1.4060aap-3f},  // -189
    {-0x1.fb046ap-1f, 0x1.1d06cap-3f},  // -188
    {-0x1.fc2f02p-1f, 0x1.f32d22p-4f},  // -187
    {-0x1.fd31fap-1f, 0x1.ac2602p-4f},  // -186
    {-0x1.fe0d3cp-1f, 0x1.64fd7ep-4f},  // -185
    {-0x1.fec0b8p-1f, 0x1.1db8e4p-4f},  // -184
    {-0x1.ff4c5ep-1f, 0x1.acbc84p-5f},  // -183
    {-0x1.ffb028p-1f, 0x1.1de552p-5f},  // -182
    {-0x1.ffec0ap-1f, 0x1.1df0a6p-6f},  // -181
    {-0x1p+0f, 0x1.777a5cp-24f},        // -180
    {-0x1.ffec0ap-1f, -0x1.1df0eap-6f}, // -179
    {-0x1.ffb028p-1f, -0x1.1de574p-5f}, // -178
    {-0x1.ff4c5ep-1f, -0x1.acbca6p-5f}, // -177
    {-0x1.fec0b8p-1f, -0x1.1db8f6p-4f}, // -176
    {-0x1.fe0d3ap-1f, -0x1.64fd9p-4f},  // -175
    {-0x1.fd31fap-1f, -0x1.ac2612p-4f}, // -174
    {-0x1.fc2f02p-1f, -0x1.f32d34p-4f}, // -173
    {-0x1.fb046ap-1f, -0x1.1d06d4p-3f}, // -172
    {-0x1.f9b24ap-1f, -0x1.4060b4p-3f}, // -171
    {-0x1.f838b8p-1f, -0x1.63a1b8p-3f}, // -170
    {-0x1.f697d6p-1f, -0x1.86c6ep-3f},  // -169
    {-0x1.f4cfc4p-1f, -0x1.a9cd9p-3f},  // -168
    {-0x1.f2e0a2p-1f, -0x1.ccb32cp-3f}, // -167
    {-0x1.f0ca9ap-1f, -0x1.ef74bap-3f}, // -166
    {-0x1.ee8dd4p-1f, -0x1.0907e2p-2f}, // -165
    {-0x1.ec2a7ep-1f, -0x1.1a40aep-2f}, // -164
    {-0x1.e9a0c6p-1f, -0x1.2b6386p-2f}, // -163
    {-0x1.e6f0ep-1f, -0x1.3c6ef6p-2f},  // -162
    {-0x1.e41b04p-1f, -0x1.4d61bap-2f}, // -161
    {-0x1.e11f64p-1f, -0x1.5e3a8cp-2f}, // -160
    {-0x1.ddfe42p-1f, -0x1.6ef8p-2f},   // -159
    {-0x1.dab7d6p-1f, -0x1.7f98e6p-2f}, // -158
    {-0x1.d74c6ap-1f, -0x1.901bd4p-2f}, // -157
    {-0x1.d3bc3cp-1f, -0x1.a07f8ep-2f}, // -156
    {-0x1.d00792p-1f, -0x1.b0c2dcp-2f}, // -155
    {-0x1.cc2ebcp-1f, -0x1.c0e45cp-2f}, // -154
    {-0x1.c832p-1f, -0x1.d0e2e8p-2f},   // -153
    {-0x1.c411b4p-1f, -0x1.e0bd28p-2f}, // -152
    {-0x1.bfce2ap-1f, -0x1.f071eap-2f}, // -151
    {-0x1.bb67aep-1f, -0x1.000002p-1f}, // -150
    {-0x1.b6dea2p-1f, -0x1.07b31p-1f},  // -149
    {-0x1.b2335ap-1f, -0x1.0f5196p-1f}, // -148
    {-0x1.ad663ap-1f, -0x1.16daeep-1f}, // -147
    {-0x1.a8779ap-1f, -0x1.1e4e8cp-1f}, // -146
    {-0x1.a367e6p-1f, -0x1.25abdp-1f},  // -145
    {-0x1.9e377cp-1f, -0x1.2cf22ep-1f}, // -144
    {-0x1.98e6cp-1f, -0x1.34211cp-1f},  // -143
    {-0x1.937626p-1f, -0x1.3b37fap-1f}, // -142
    {-0x1.8de61p-1f, -0x1.42364cp-1f},  // -141
    {-0x1.8836fap-1f, -0x1.491b76p-1f}, // -140
    {-0x1.82694ep-1f, -0x1.4fe6f6p-1f}, // -139
    {-0x1.7c7d7ap-1f, -0x1.56984ap-1f}, // -138
    {-0x1.7674p-1f, -0x1.5d2ee2p-1f},   // -137
    {-0x1.704d4cp-1f, -0x1.63aa46p-1f}, // -136
    {-0x1.6a09e6p-1f, -0x1.6a09e6p-1f}, // -135
    {-0x1.63aa4p-1f, -0x1.704d52p-1f},  // -134
    {-0x1.5d2ee2p-1f, -0x1.7673fep-1f}, // -133
    {-0x1.56984cp-1f, -0x1.7c7d7ap-1f}, // -132
    {-0x1.4fe6f6p-1f, -0x1.82694cp-1f}, // -131
    {-0x1.491b76p-1f, -0x1.8836fap-1f}, // -130
    {-0x1.423646p-1f, -0x1.8de616p-1f}, // -129
    {-0x1.3b37fap-1f, -0x1.937626p-1f}, // -128
    {-0x1.34211cp-1f, -0x1.98e6cp-1f},  // -127
    {-0x1.2cf22ep-1f, -0x1.9e377ap-1f}, // -126
    {-0x1.25abdp-1f, -0x1.a367e4p-1f},  // -125
    {-0x1.1e4e86p-1f, -0x1.a8779ep-1f}, // -124
    {-0x1.16daeep-1f, -0x1.ad663ap-1f}, // -123
    {-0x1.0f5196p-1f, -0x1.b2335ap-1f}, // -122
    {-0x1.07b31p-1f, -0x1.b6dea2p-1f},  // -121
    {-0x1.000002p-1f, -0x1.bb67aep-1f}, // -120
    {-0x1.f071eap-2f, -0x1.bfce28p-1f}, // -119
    {-0x1.e0bd28p-2f, -0x1.c411b4p-1f}, // -118
    {-0x1.d0e2dcp-2f, -0x1.c83204p-1f}, // -117
    {-0x1.c0e45cp-2f, -0x1.cc2ebcp-1f}, // -116
    {-0x1.b0c2dcp-2f, -0x1.d00792p-1f}, // -115
    {-0x1.a07f8ep-2f, -0x1.d3bc3cp-1f}, // -114
    {-0x1.901bd4p-2f, -0x1.d74c6ap-1f}, // -113
    {-0x1.7f98ep-2f, -0x1.dab7d8p-1f},  // -112
    {-0x1.6ef802p-2f, -0x1.ddfe42p-1f}, // -111
    {-0x1.5e3a86p-2f, -0x1.e11f64p-1f}, // -110
    {-0x1.4d61bap-2f, -0x1.e41b04p-1f}, // -109
    {-0x1.3c6efp-2f, -0x1.e6f0e2p-1f},  // -108
    {-0x1.2b638p-2f, -0x1.e9a0c6p-1f},  // -107
    {-0x1.1a40aep-2f, -0x1.ec2a7ep-1f}, // -106
    {-0x1.0907dcp-2f, -0x1.ee8dd4p-1f}, // -105
    {-0x1.ef74bcp-3f, -0x1.f0ca9ap-1f}, // -104
    {-0x1.ccb31cp-3f, -0x1.f2e0a2p-1f}, // -103
    {-0x1.a9cd92p-3f, -0x1.f4cfc4p-1f}, // -102
    {-0x1.86c6e2p-3f, -0x1.f697d6p-1f}, // -101
    {-0x1.63a1aap-3f, -0x1.f838b8p-1f}, // -100
    {-0x1.4060b4p-3f, -0x1.f9b24ap-1f}, // -99
    {-0x1.1d06c6p-3f, -0x1.fb046ap-1f}, // -98
    {-0x1.f32d36p-4f, -0x1.fc2f02p-1f}, // -97
    {-0x1.ac2616p-4f, -0x1.fd31fap-1f}, // -96
    {-0x1.64fd72p-4f, -0x1.fe0d3cp-1f}, // -95
    {-0x1.1db8f8p-4f, -0x1.fec0b8p-1f}, // -94
    {-0x1.acbc6cp-5f, -0x1.ff4c5ep-1f}, // -93
    {-0x1.1de57ap-5f, -0x1.ffb028p-1f}, // -92
    {-0x1.1df078p-6f, -0x1.ffec0ap-1f}, // -91
    {-0x1.777a5cp-25f, -0x1p+0f},       // -90
    {0x1.1df09ap-6f, -0x1.ffec0ap-1f},  // -89
    {0x1.1de58cp-5f, -0x1.ffb028p-1f},  // -88
    {0x1.acbc7ep-5f, -0x1.ff4c5ep-1f},  // -87
    {0x1.1db9p-4f, -0x1.fec0b8p-1f},    // -86
    {0x1.64fd7cp-4f, -0x1.fe0d3cp-1f},  // -85
    {0x1.ac25fep-4f, -0x1.fd31fap-1f},  // -84
    {0x1.f32d4p-4f, -0x1.fc2f02p-1f},   // -83
    {0x1.1d06cap-3f, -0x1.fb046ap-1f},  // -82
    {0x1.4060bap-3f, -0x1.f9b24ap-1f},  // -81
    {0x1.63a1aep-3f, -0x1.f838b8p-1f},  // -80
    {0x1.86c6e6p-3f, -0x1.f697d6p-1f},  // -79
    {0x1.a9cd96p-3f, -0x1.f4cfc4p-1f},  // -78
    {0x1.ccb322p-3f, -0x1.f2e0a2p-1f},  // -77
    {0x1.ef74cp-3f, -0x1.f0ca9ap-1f},   // -76
    {0x1.0907dep-2f, -0x1.ee8dd4p-1f},  // -75
    {0x1.1a40bp-2f, -0x1.ec2a7ep-1f},   // -74
    {0x1.2b6382p-2f, -0x1.e9a0c6p-1f},  // -73
    {0x1.3c6ef2p-2f, -0x1.e6f0e2p-1f},  // -72
    {0x1.4d61bcp-2f, -0x1.e41b02p-1f},  // -71
    {0x1.5e3a88p-2f, -0x1.e11f64p-1f},  // -70
    {0x1.6ef804p-2f, -0x1.ddfe4p-1f},   // -69
    {0x1.7f98e2p-2f, -0x1.dab7d8p-1f},  // -68
    {0x1.901bd6p-2f, -0x1.d74c68p-1f},  // -67
    {0x1.a07f9p-2f, -0x1.d3bc3cp-1f},   // -66
    {0x1.b0c2d6p-2f, -0x1.d00794p-1f},  // -65
    {0x1.c0e45ep-2f, -0x1.cc2ebcp-1f},  // -64
    {0x1.d0e2e4p-2f, -0x1.c83202p-1f},  // -63
    {0x1.e0bd2ap-2f, -0x1.c411b4p-1f},  // -62
    {0x1.f071ecp-2f, -0x1.bfce28p-1f},  // -61
    {0x1.fffffep-2f, -0x1.bb67bp-1f},   // -60
    {0x1.07b312p-1f, -0x1.b6dea2p-1f},  // -59
    {0x1.0f5194p-1f, -0x1.b2335cp-1f},  // -58
    {0x1.16daeep-1f, -0x1.ad663ap-1f},  // -57
    {0x1.1e4e88p-1f, -0x1.a8779cp-1f},  // -56
    {0x1.25abdp-1f, -0x1.a367e6p-1f},   // -55
    {0x1.2cf232p-1f, -0x1.9e377ap-1f},  // -54
    {0x1.34211ap-1f, -0x1.98e6c2p-1f},  // -53
    {0x1.3b37fcp-1f, -0x1.937624p-1f},  // -52
    {0x1.42364ap-1f, -0x1.8de612p-1f},  // -51
    {0x1.491b76p-1f, -0x1.8836fap-1f},  // -50
    {0x1.4fe6f8p-1f, -0x1.82694ap-1f},  // -49
    {0x1.569848p-1f, -0x1.7c7d7cp-1f},  // -48
    {0x1.5d2ee4p-1f, -0x1.7673fep-1f},  // -47
    {0x1.63aa44p-1f, -0x1.704d4ep-1f},  // -46
    {0x1.6a09e6p-1f, -0x1.6a09e6p-1f},  // -45
    {0x1.704d4ep-1f, -0x1.63aa44p-1f},  // -44
    {0x1.7673fep-1f, -0x1.5d2ee4p-1f},  // -43
    {0x1.7c7d7ap-1f, -0x1.56984ap-1f},  // -42
    {0x1.82694cp-1f, -0x1.4fe6f8p-1f},  // -41
    {0x1.8836fap-1f, -0x1.491b74p-1f},  // -40
    {0x1.8de612p-1f, -0x1.423648p-1f},  // -39
    {0x1.937626p-1f, -0x1.3b37fcp-1f},  // -38
    {0x1.98e6c2p-1f, -0x1.342118p-1f},  // -37
    {0x1.9e377ap-1f, -0x1.2cf23p-1f},   // -36
    {0x1.a367e6p-1f, -0x1.25abdp-1f},   // -35
    {0x1.a8779ep-1f, -0x1.1e4e88p-1f},  // -34
    {0x1.ad663ap-1f, -0x1.16daeep-1f},  // -33
    {0x1.b2335cp-1f, -0x1.0f5194p-1f},  // -32
    {0x1.b6dea2p-1f, -0x1.07b312p-1f},  // -31
    {0x1.bb67aep-1f, -0x1p-1f},         // -30
    {0x1.bfce28p-1f, -0x1.f071eep-2f},  // -29
    {0x1.c411b4p-1f, -0x1.e0bd28p-2f},  // -28
    {0x1.c83202p-1f, -0x1.d0e2e2p-2f},  // -27
    {0x1.cc2ebcp-1f, -0x1.c0e45ep-2f},  // -26
    {0x1.d00792p-1f, -0x1.b0c2d8p-2f},  // -25
    {0x1.d3bc3ap-1f, -0x1.a07f92p-2f},  // -24
    {0x1.d74c6ap-1f, -0x1.901bd2p-2f},  // -23
    {0x1.dab7d8p-1f, -0x1.7f98dep-2f},  // -22
    {0x1.ddfe4p-1f, -0x1.6ef802p-2f},   // -21
    {0x1.e11f64p-1f, -0x1.5e3a86p-2f},  // -20
    {0x1.e41b02p-1f, -0x1.4d61bcp-2f},  // -19
    {0x1.e6f0e2p-1f, -0x1.3c6ef4p-2f},  // -18
    {0x1.e9a0c8p-1f, -0x1.2b637cp-2f},  // -17
    {0x1.ec2a7ep-1f, -0x1.1a40aep-2f},  // -16
    {0x1.ee8dd4p-1f, -0x1.0907dcp-2f},  // -15
    {0x1.f0ca9ap-1f, -0x1.ef74cp-3f},   // -14
    {0x1.f2e0a2p-1f, -0x1.ccb322p-3f},  // -13
    {0x1.f4cfc4p-1f, -0x1.a9cd9cp-3f},  // -12
    {0x1.f697d6p-1f, -0x1.86c6dep-3f},  // -11
    {0x1.f838b8p-1f, -0x1.63a1a8p-3f},  // -10
    {0x1.f9b24ap-1f, -0x1.4060b8p-3f},  // -9
    {0x1.fb046ap-1f, -0x1.1d06cap-3f},  // -8
    {0x1.fc2f02p-1f, -0x1.f32d46p-4f},  // -7
    {0x1.fd31fap-1f, -0x1.ac260ap-4f},  // -6
    {0x1.fe0d3cp-1f, -0x1.64fd6ap-4f},  // -5
    {0x1.fec0b8p-1f, -0x1.1db8f6p-4f},  // -4
    {0x1.ff4c5ep-1f, -0x1.acbc76p-5f},  // -3
    {0x1.ffb028p-1f, -0x1.1de58cp-5f},  // -2
    {0x1.ffec0ap-1f, -0x1.1df0b2p-6f},  // -1
    {0x1p+0f, 0.0f},                    // 0
    {0x1.ffec0ap-1f, 0x1.1df0b2p-6f},   // 1
    {0x1.ffb028p-1f, 0x1.1de58cp-5f},   // 2
    {0x1.ff4c5ep-1f, 0x1.acbc76p-5f},   // 3
    {0x1.fec0b8p-1f, 0x1.1db8f6p-4f},   // 4
    {0x1.fe0d3cp-1f, 0x1.64fd6ap-4f},   // 5
    {0x1.fd31fap-1f, 0x1.ac260ap-4f},   // 6
    {0x1.fc2f02p-1f, 0x1.f32d46p-4f},   // 7
    {0x1.fb046ap-1f, 0x1.1d06cap-3f},   // 8
    {0x1.f9b24ap-1f, 0x1.4060b8p-3f},   // 9
    {0x1.f838b8p-1f, 0x1.63a1a8p-3f},   // 10
    {0x1.f697d6p-1f, 0x1.86c6dep-3f},   // 11
    {0x1.f4cfc4p-1f, 0x1.a9cd9cp-3f},   // 12
    {0x1.f2e0a2p-1f, 0x1.ccb322p-3f},   // 13
    {0x1.f0ca9ap-1f, 0x1.ef74cp-3f},    // 14
    {0x1.ee8dd4p-1f, 0x1.0907dcp-2f},   // 15
    {0x1.ec2a7ep-1f, 0x1.1a40aep-2f},   // 16
    {0x1.e9a0c8p-1f, 0x1.2b637cp-2f},   // 17
    {0x1.e6f0e2p-1f, 0x1.3c6ef4p-2f},   // 18
    {0x1.e41b02p-1f, 0x1.4d61bcp-2f},   // 19
    {0x1.e11f64p-1f, 0x1.5e3a86p-2f},   // 20
    {0x1.ddfe4p-1f, 0x1.6ef802p-2f},    // 21
    {0x1.dab7d8p-1f, 0x1.7f98dep-2f},   // 22
    {0x1.d74c6ap-1f, 0x1.901bd2p-2f},   // 23
    {0x1.d3bc3ap-1f, 0x1.a07f92p-2f},   // 24
    {0x1.d00792p-1f, 0x1.b0c2d8p-2f},   // 25
    {0x1.cc2ebcp-1f, 0x1.c0e45ep-2f},   // 26
    {0x1.c83202p-1f, 0x1.d0e2e2p-2f},   // 27
    {0x1.c411b4p-1f, 0x1.e0bd28p-2f},   // 28
    {0x1.bfce28p-1f, 0x1.f071eep-2f},   // 29
    {0x1.bb67aep-1f, 0x1p-1f},          // 30
    {0x1.b6dea2p-1f, 0x1.07b312p-1f},   // 31
    {0x1.b2335cp-1f, 0x1.0f5194p-1f},   // 32
    {0x1.ad663ap-1f, 0x1.16daeep-1f},   // 33
    {0x1.a8779ep-1f, 0x1.1e4e88p-1f},   // 34
    {0x1.a367e6p-1f, 0x1.25abdp-1f},    // 35
    {0x1.9e377ap-1f, 0x1.2cf23p-1f},    // 36
    {0x1.98e6c2p-1f, 0x1.342118p-1f},   // 37
    {0x1.937626p-1f, 0x1.3b37fcp-1f},   // 38
    {0x1.8de612p-1f, 0x1.423648p-1f},   // 39
    {0x1.8836fap-1f, 0x1.491b74p-1f},   // 40
    {0x1.82694cp-1f, 0x1.4fe6f8p-1f},   // 41
    {0x1.7c7d7ap-1f, 0x1.56984ap-1f},   // 42
    {0x1.7673fep-1f, 0x1.5d2ee4p-1f},   // 43
    {0x1.704d4ep-1f, 0x1.63aa44p-1f},   // 44
    {0x1.6a09e6p-1f, 0x1.6a09e6p-1f},   // 45
    {0x1.63aa44p-1f, 0x1.704d4ep-1f},   // 46
    {0x1.5d2ee4p-1f, 0x1.7673fep-1f},   // 47
    {0x1.569848p-1f, 0x1.7c7d7cp-1f},   // 48
    {0x1.4fe6f8p-1f, 0x1.82694ap-1f},   // 49
    {0x1.491b76p-1f, 0x1.8836fap-1f},   // 50
    {0x1.42364ap-1f, 0x1.8de612p-1f},   // 51
    {0x1.3b37fcp-1f, 0x1.937624p-1f},   // 52
    {0x1.34211ap-1f, 0x1.98e6c2p-1f},   // 53
    {0x1.2cf232p-1f, 0x1.9e377ap-1f},   // 54
    {0x1.25abdp-1f, 0x1.a367e6p-1f},    // 55
    {0x1.1e4e88p-1f, 0x1.a8779cp-1f},   // 56
    {0x1.16daeep-1f, 0x1.ad663ap-1f},   // 57
    {0x1.0f5194p-1f, 0x1.b2335cp-1f},   // 58
    {0x1.07b312p-1f, 0x1.b6dea2p-1f},   // 59
    {0x1.fffffep-2f, 0x1.bb67bp-1f},    // 60
    {0x1.f071ecp-2f, 0x1.bfce28p-1f},   // 61
    {0x1.e0bd2ap-2f, 0x1.c411b4p-1f},   // 62
    {0x1.d0e2e4p-2f, 0x1.c83202p-1f},   // 63
    {0x1.c0e45ep-2f, 0x1.cc2ebcp-1f},   // 64
    {0x1.b0c2d6p-2f, 0x1.d00794p-1f},   // 65
    {0x1.a07f9p-2f, 0x1.d3bc3cp-1f},    // 66
    {0x1.901bd6p-2f, 0x1.d74c68p-1f},   // 67
    {0x1.7f98e2p-2f, 0x1.dab7d8p-1f},   // 68
    {0x1.6ef804p-2f, 0x1.ddfe4p-1f},    // 69
    {0x1.5e3a88p-2f, 0x1.e11f64p-1f},   // 70
    {0x1.4d61bcp-2f, 0x1.e41b02p-1f},   // 71
    {0x1.3c6ef2p-2f, 0x1.e6f0e2p-1f},   // 72
    {0x1.2b6382p-2f, 0x1.e9a0c6p-1f},   // 73
    {0x1.1a40bp-2f, 0x1.ec2a7ep-1f},    // 74
    {0x1.0907dep-2f, 0x1.ee8dd4p-1f},   // 75
    {0x1.ef74cp-3f, 0x1.f0ca9ap-1f},    // 76
    {0x1.ccb322p-3f, 0x1.f2e0a2p-1f},   // 77
    {0x1.a9cd96p-3f, 0x1.f4cfc4p-1f},   // 78
    {0x1.86c6e6p-3f, 0x1.f697d6p-1f},   // 79
    {0x1.63a1aep-3f, 0x1.f838b8p-1f},   // 80
    {0x1.4060bap-3f, 0x1.f9b24ap-1f},   // 81
    {0x1.1d06cap-3f, 0x1.fb046ap-1f},   // 82
    {0x1.f32d4p-4f, 0x1.fc2f02p-1f},    // 83
    {0x1.ac25fep-4f, 0x1.fd31fap-1f},   // 84
    {0x1.64fd7cp-4f, 0x1.fe0d3cp-1f},   // 85
    {0x1.1db9p-4f, 0x1.fec0b8p-1f},     // 86
    {0x1.acbc7ep-5f, 0x1.ff4c5ep-1f},   // 87
    {0x1.1de58cp-5f, 0x1.ffb028p-1f},   // 88
    {0x1.1df09ap-6f, 0x1.ffec0ap-1f},   // 89
    {-0x1.777a5cp-25f, 0x1p+0f},        // 90
    {-0x1.1df078p-6f, 0x1.ffec0ap-1f},  // 91
    {-0x1.1de57ap-5f, 0x1.ffb028p-1f},  // 92
    {-0x1.acbc6cp-5f, 0x1.ff4c5ep-1f},  // 93
    {-0x1.1db8f8p-4f, 0x1.fec0b8p-1f},  // 94
    {-0x1.64fd72p-4f, 0x1.fe0d3cp-1f},  // 95
    {-0x1.ac2616p-4f, 0x1.fd31fap-1f},  // 96
    {-0x1.f32d36p-4f, 0x1.fc2f02p-1f},  // 97
    {-0x1.1d06c6p-3f, 0x1.fb046ap-1f},  // 98
    {-0x1.4060b4p-3f, 0x1.f9b24ap-1f},  // 99
    {-0x1.63a1aap-3f, 0x1.f838b8p-1f},  // 100
    {-0x1.86c6e2p-3f, 0x1.f697d6p-1f},  // 101
    {-0x1.a9cd92p-3f, 0x1.f4cfc4p-1f},  // 102
    {-0x1.ccb31cp-3f, 0x1.f2e0a2p-1f},  // 103
    {-0x1.ef74bcp-3f, 0x1.f0ca9ap-1f},  // 104
    {-0x1.0907dcp-2f, 0x1.ee8dd4p-1f},  // 105
    {-0x1.1a40aep-2f, 0x1.ec2a7ep-1f},  // 106
    {-0x1.2b638p-2f, 0x1.e9a0c6p-1f},   // 107
    {-0x1.3c6efp-2f, 0x1.e6f0e2p-1f},   // 108
    {-0x1.4d61bap-2f, 0x1.e41b04p-1f},  // 109
    {-0x1.5e3a86p-2f, 0x1.e11f64p-1f},  // 110
    {-0x1.6ef802p-2f, 0x1.ddfe42p-1f},  // 111
    {-0x1.7f98ep-2f, 0x1.dab7d8p-1f},   // 112
    {-0x1.901bd4p-2f, 0x1.d74c6ap-1f},  // 113
    {-0x1.a07f8ep-2f, 0x1.d3bc3cp-1f},  // 114
    {-0x1.b0c2dcp-2f, 0x1.d00792p-1f},  // 115
    {-0x1.c0e45cp-2f, 0x1.cc2ebcp-1f},  // 116
    {-0x1.d0e2dcp-2f, 0x1.c83204p-1f},  // 117
    {-0x1.e0bd28p-2f, 0x1.c411b4p-1f},  // 118
    {-0x1.f071eap-2f, 0x1.bfce28p-1f},  // 119
    {-0x1.000002p-1f, 0x1.bb67aep-1f},  // 120
    {-0x1.07b31p-1f, 0x1.b6dea2p-1f},   // 121
    {-0x1.0f5196p-1f, 0x1.b2335ap-1f},  // 122
    {-0x1.16daeep-1f, 0x1.ad663ap-1f},  // 123
    {-0x1.1e4e86p-1f, 0x1.a8779ep-1f},  // 124
    {-0x1.25abdp-1f, 0x1.a367e4p-1f},   // 125
    {-0x1.2cf22ep-1f, 0x1.9e377ap-1f},  // 126
    {-0x1.34211cp-1f, 0x1.98e6cp-1f},   // 127
    {-0x1.3b37fap-1f, 0x1.937626p-1f},  // 128
    {-0x1.423646p-1f, 0x1.8de616p-1f},  // 129
    {-0x1.491b76p-1f, 0x1.8836fap-1f},  // 130
    {-0x1.4fe6f6p-1f, 0x1.82694cp-1f},  // 131
    {-0x1.56984cp-1f, 0x1.7c7d7ap-1f},  // 132
    {-0x1.5d2ee2p-1f, 0x1.7673fep-1f},  // 133
    {-0x1.63aa4p-1f, 0x1.704d52p-1f},   // 134
    {-0x1.6a09e6p-1f, 0x1.6a09e6p-1f},  // 135
    {-0x1.704d4cp-1f, 0x1.63aa46p-1f},  // 136
    {-0x1.7674p-1f, 0x1.5d2ee2p-1f},    // 137
    {-0x1.7c7d7ap-1f, 0x1.56984ap-1f},  // 138
    {-0x1.82694ep-1f, 0x1.4fe6f6p-1f},  // 139
    {-0x1.8836fap-1f, 0x1.491b76p-1f},  // 140
    {-0x1.8de61p-1f, 0x1.42364cp-1f},   // 141
    {-0x1.937626p-1f, 0x1.3b37fap-1f},  // 142
    {-0x1.98e6cp-1f, 0x1.34211cp-1f},   // 143
    {-0x1.9e377cp-1f, 0x1.2cf22ep-1f},  // 144
    {-0x1.a367e6p-1f, 0x1.25abdp-1f},   // 145
    {-0x1.a8779ap-1f, 0x1.1e4e8cp-1f},  // 146
    {-0x1.ad663ap-1f, 0x1.16daeep-1f},  // 147
    {-0x1.b2335ap-1f, 0x1.0f5196p-1f},  // 148
    {-0x1.b6dea2p-1f, 0x1.07b31p-1f},   // 149
    {-0x1.bb67aep-1f, 0x1.000002p-1f},  // 150
    {-0x1.bfce2ap-1f, 0x1.f071eap-2f},  // 151
    {-0x1.c411b4p-1f, 0x1.e0bd28p-2f},  // 152
    {-0x1.c832p-1f, 0x1.d0e2e8p-2f},    // 153
    {-0x1.cc2ebcp-1f, 0x1.c0e45cp-2f},  // 154
    {-0x1.d00792p-1f, 0x1.b0c2dcp-2f},  // 155
    {-0x1.d3bc3cp-1f, 0x1.a07f8ep-2f},  // 156
    {-0x1.d74c6ap-1f, 0x1.901bd4p-2f},  // 157
    {-0x1.dab7d6p-1f, 0x1.7f98e6p-2f},  // 158
    {-0x1.ddfe42p-1f, 0x1.6ef8p-2f},    // 159
    {-0x1.e11f64p-1f, 0x1.5e3a8cp-2f},  // 160
    {-0x1.e41b04p-1f, 0x1.4d61bap-2f},  // 161
    {-0x1.e6f0ep-1f, 0x1.3c6ef6p-2f},   // 162
    {-0x1.e9a0c6p-1f, 0x1.2b6386p-2f},  // 163
    {-0x1.ec2a7ep-1f, 0x1.1a40aep-2f},  // 164
    {-0x1.ee8dd4p-1f, 0x1.0907e2p-2f},  // 165
    {-0x1.f0ca9ap-1f, 0x1.ef74bap-3f},  // 166
    {-0x1.f2e0a2p-1f, 0x1.ccb32cp-3f},  // 167
    {-0x1.f4cfc4p-1f, 0x1.a9cd9p-3f},   // 168
    {-0x1.f697d6p-1f, 0x1.86c6ep-3f},   // 169
    {-0x1.f838b8p-1f, 0x1.63a1b8p-3f},  // 170
    {-0x1.f9b24ap-1f, 0x1.4060b4p-3f},  // 171
    {-0x1.fb046ap-1f, 0x1.1d06d4p-3f},  // 172
    {-0x1.fc2f02p-1f, 0x1.f32d34p-4f},  // 173
    {-0x1.fd31fap-1f, 0x1.ac2612p-4f},  // 174
    {-0x1.fe0d3ap-1f, 0x1.64fd9p-4f},   // 175
    {-0x1.fec0b8p-1f, 0x1.1db8f6p-4f},  // 176
    {-0x1.ff4c5ep-1f, 0x1.acbca6p-5f},  // 177
    {-0x1.ffb028p-1f, 0x1.1de574p-5f},  // 178
    {-0x1.ffec0ap-1f, 0x1.1df0eap-6f},  // 179
    {-0x1p+0f, -0x1.777a5cp-24f},       // 180
    {-0x1.ffec0ap-1f, -0x1.1df0a6p-6f}, // 181
    {-0x1.ffb028p-1f, -0x1.1de552p-5f}, // 182
    {-0x1.ff4c5ep-1f, -0x1.acbc84p-5f}, // 183
    {-0x1.fec0b8p-1f, -0x1.1db8e4p-4f}, // 184
    {-0x1.fe0d3cp-1f, -0x1.64fd7ep-4f}, // 185
    {-0x1.fd31fap-1f, -0x1.ac2602p-4f}, // 186
    {-0x1.fc2f02p-1f, -0x1.f32d22p-4f}, // 187
    {-0x1.fb046ap-1f, -0x1.1d06cap-3f}, // 188
    {-0x1.f9b24ap-1f, -0x1.4060aap-3f}, // 189
    {-0x1.f838b8p-1f, -0x1.63a1aep-3f}, // 190
    {-0x1.f697d6p-1f, -0x1.86c6d8p-3f}, // 191
    {-0x1.f4cfc2p-1f, -0x1.a9cda8p-3f}, // 192
    {-0x1.f2e0a2p-1f, -0x1.ccb322p-3f}, // 193
    {-0x1.f0ca9ap-1f, -0x1.ef74b2p-3f}, // 194
    {-0x1.ee8dd4p-1f, -0x1.0907dep-2f}, // 195
    {-0x1.ec2a7ep-1f, -0x1.1a40aap-2f}, // 196
    {-0x1.e9a0c6p-1f, -0x1.2b6382p-2f}, // 197
    {-0x1.e6f0e2p-1f, -0x1.3c6ef2p-2f}, // 198
    {-0x1.e41b04p-1f, -0x1.4d61b6p-2f}, // 199
    {-0x1.e11f64p-1f, -0x1.5e3a88p-2f}, // 200
    {-0x1.ddfe42p-1f, -0x1.6ef7fcp-2f}, // 201
    {-0x1.dab7d6p-1f, -0x1.7f98e2p-2f}, // 202
    {-0x1.d74c6ap-1f, -0x1.901bdp-2f},  // 203
    {-0x1.d3bc3cp-1f, -0x1.a07f8ap-2f}, // 204
    {-0x1.d00794p-1f, -0x1.b0c2d8p-2f}, // 205
    {-0x1.cc2ebep-1f, -0x1.c0e458p-2f}, // 206
    {-0x1.c83202p-1f, -0x1.d0e2e6p-2f}, // 207
    {-0x1.c411b6p-1f, -0x1.e0bd24p-2f}, // 208
    {-0x1.bfce26p-1f, -0x1.f071f4p-2f}, // 209
    {-0x1.bb67aep-1f, -0x1.fffffep-2f}, // 210
    {-0x1.b6dea4p-1f, -0x1.07b30ep-1f}, // 211
    {-0x1.b2335cp-1f, -0x1.0f5194p-1f}, // 212
    {-0x1.ad663cp-1f, -0x1.16daecp-1f}, // 213
    {-0x1.a8779cp-1f, -0x1.1e4e8ap-1f}, // 214
    {-0x1.a367e6p-1f, -0x1.25abcep-1f}, // 215
    {-0x1.9e377cp-1f, -0x1.2cf22cp-1f}, // 216
    {-0x1.98e6cp-1f, -0x1.34211ap-1f},  // 217
    {-0x1.937628p-1f, -0x1.3b37f8p-1f}, // 218
    {-0x1.8de612p-1f, -0x1.42364ap-1f}, // 219
    {-0x1.8836fcp-1f, -0x1.491b74p-1f}, // 220
    {-0x1.82694ap-1f, -0x1.4fe6fap-1f}, // 221
    {-0x1.7c7d7ap-1f, -0x1.56984ap-1f}, // 222
    {-0x1.7674p-1f, -0x1.5d2eep-1f},    // 223
    {-0x1.704d4ep-1f, -0x1.63aa44p-1f}, // 224
    {-0x1.6a09e8p-1f, -0x1.6a09e4p-1f}, // 225
    {-0x1.63aa42p-1f, -0x1.704d5p-1f},  // 226
    {-0x1.5d2ee4p-1f, -0x1.7673fep-1f}, // 227
    {-0x1.56984cp-1f, -0x1.7c7d78p-1f}, // 228
    {-0x1.4fe6f8p-1f, -0x1.82694cp-1f}, // 229
    {-0x1.491b72p-1f, -0x1.8836fep-1f}, // 230
    {-0x1.423646p-1f, -0x1.8de614p-1f}, // 231
    {-0x1.3b37fcp-1f, -0x1.937624p-1f}, // 232
    {-0x1.34211ep-1f, -0x1.98e6bep-1f}, // 233
    {-0x1.2cf236p-1f, -0x1.9e3774p-1f}, // 234
    {-0x1.25abccp-1f, -0x1.a367e8p-1f}, // 235
    {-0x1.1e4e88p-1f, -0x1.a8779ep-1f}, // 236
    {-0x1.16dafp-1f, -0x1.ad663ap-1f},  // 237
    {-0x1.0f5198p-1f, -0x1.b2335ap-1f}, // 238
    {-0x1.07b31ap-1f, -0x1.b6de9ep-1f}, // 239
    {-0x1.fffffap-2f, -0x1.bb67bp-1f},  // 240
    {-0x1.f071eep-2f, -0x1.bfce28p-1f}, // 241
    {-0x1.e0bd2cp-2f, -0x1.c411b4p-1f}, // 242
    {-0x1.d0e2eep-2f, -0x1.c832p-1f},   // 243
    {-0x1.c0e452p-2f, -0x1.cc2ebep-1f}, // 244
    {-0x1.b0c2d2p-2f, -0x1.d00794p-1f}, // 245
    {-0x1.a07f92p-2f, -0x1.d3bc3ap-1f}, // 246
    {-0x1.901bd8p-2f, -0x1.d74c68p-1f}, // 247
    {-0x1.7f98ecp-2f, -0x1.dab7d6p-1f}, // 248
    {-0x1.6ef7f6p-2f, -0x1.ddfe44p-1f}, // 249
    {-0x1.5e3a82p-2f, -0x1.e11f66p-1f}, // 250
    {-0x1.4d61bep-2f, -0x1.e41b02p-1f}, // 251
    {-0x1.3c6efap-2f, -0x1.e6f0ep-1f},  // 252
    {-0x1.2b638ap-2f, -0x1.e9a0c4p-1f}, // 253
    {-0x1.1a40a4p-2f, -0x1.ec2a8p-1f},  // 254
    {-0x1.0907d8p-2f, -0x1.ee8dd6p-1f}, // 255
    {-0x1.ef74c4p-3f, -0x1.f0ca9ap-1f}, // 256
    {-0x1.ccb334p-3f, -0x1.f2e0a2p-1f}, // 257
    {-0x1.a9cdbap-3f, -0x1.f4cfc2p-1f}, // 258
    {-0x1.86c6cap-3f, -0x1.f697d8p-1f}, // 259
    {-0x1.63a1a2p-3f, -0x1.f838bap-1f}, // 260
    {-0x1.4060bep-3f, -0x1.f9b248p-1f}, // 261
    {-0x1.1d06dep-3f, -0x1.fb046ap-1f}, // 262
    {-0x1.f32d88p-4f, -0x1.fc2f02p-1f}, // 263
    {-0x1.ac25e8p-4f, -0x1.fd31fap-1f}, // 264
    {-0x1.64fd64p-4f, -0x1.fe0d3cp-1f}, // 265
    {-0x1.1db90ap-4f, -0x1.fec0b6p-1f}, // 266
    {-0x1.acbccep-5f, -0x1.ff4c5ep-1f}, // 267
    {-0x1.1de61cp-5f, -0x1.ffb028p-1f}, // 268
    {-0x1.1df03cp-6f, -0x1.ffec0ap-1f}, // 269
    {0x1.99bc5cp-27f, -0x1p+0f},        // 270
    {0x1.1df056p-6f, -0x1.ffec0ap-1f},  // 271
    {0x1.1de528p-5f, -0x1.ffb028p-1f},  // 272
    {0x1.acbcdcp-5f, -0x1.ff4c5ep-1f},  // 273
    {0x1.1db91p-4f, -0x1.fec0b6p-1f},   // 274
    {0x1.64fd6ap-4f, -0x1.fe0d3cp-1f},  // 275
    {0x1.ac25eep-4f, -0x1.fd31fap-1f},  // 276
    {0x1.f32d0ep-4f, -0x1.fc2f04p-1f},  // 277
    {0x1.1d06ep-3f, -0x1.fb046ap-1f},   // 278
    {0x1.4060cp-3f, -0x1.f9b248p-1f},   // 279
    {0x1.63a1a4p-3f, -0x1.f838b8p-1f},  // 280
    {0x1.86c6cep-3f, -0x1.f697d8p-1f},  // 281
    {0x1.a9cd7ep-3f, -0x1.f4cfc4p-1f},  // 282
    {0x1.ccb338p-3f, -0x1.f2e0ap-1f},   // 283
    {0x1.ef74c6p-3f, -0x1.f0ca9ap-1f},  // 284
    {0x1.0907dap-2f, -0x1.ee8dd4p-1f},  // 285
    {0x1.1a40a4p-2f, -0x1.ec2a8p-1f},   // 286
    {0x1.2b636ep-2f, -0x1.e9a0cap-1f},  // 287
    {0x1.3c6efcp-2f, -0x1.e6f0ep-1f},   // 288
    {0x1.4d61cp-2f, -0x1.e41b02p-1f},   // 289
    {0x1.5e3a84p-2f, -0x1.e11f64p-1f},  // 290
    {0x1.6ef7f8p-2f, -0x1.ddfe42p-1f},  // 291
    {0x1.7f98dp-2f, -0x1.dab7dap-1f},   // 292
    {0x1.901bdap-2f, -0x1.d74c68p-1f},  // 293
    {0x1.a07f94p-2f, -0x1.d3bc3ap-1f},  // 294
    {0x1.b0c2d2p-2f, -0x1.d00794p-1f},  // 295
    {0x1.c0e454p-2f, -0x1.cc2ebep-1f},  // 296
    {0x1.d0e2d2p-2f, -0x1.c83206p-1f},  // 297
    {0x1.e0bd2ep-2f, -0x1.c411b4p-1f},  // 298
    {0x1.f071fp-2f, -0x1.bfce28p-1f},   // 299
    {0x1.fffffap-2f, -0x1.bb67bp-1f},   // 300
    {0x1.07b30cp-1f, -0x1.b6dea6p-1f},  // 301
    {0x1.0f519ap-1f, -0x1.b23358p-1f},  // 302
    {0x1.16dafp-1f, -0x1.ad6638p-1f},   // 303
    {0x1.1e4e88p-1f, -0x1.a8779ep-1f},  // 304
    {0x1.25abccp-1f, -0x1.a367e8p-1f},  // 305
    {0x1.2cf22ap-1f, -0x1.9e377ep-1f},  // 306
    {0x1.34211ep-1f, -0x1.98e6bep-1f},  // 307
    {0x1.3b37fcp-1f, -0x1.937624p-1f},  // 308
    {0x1.423648p-1f, -0x1.8de614p-1f},  // 309
    {0x1.491b72p-1f, -0x1.8836fcp-1f},  // 310
    {0x1.4fe6f2p-1f, -0x1.82695p-1f},   // 311
    {0x1.56984ep-1f, -0x1.7c7d78p-1f},  // 312
    {0x1.5d2ee4p-1f, -0x1.7673fcp-1f},  // 313
    {0x1.63aa42p-1f, -0x1.704d5p-1f},   // 314
    {0x1.6a09e2p-1f, -0x1.6a09eap-1f},  // 315
    {0x1.704d48p-1f, -0x1.63aa48p-1f},  // 316
    {0x1.767402p-1f, -0x1.5d2eep-1f},   // 317
    {0x1.7c7d7cp-1f, -0x1.569848p-1f},  // 318
    {0x1.82694ap-1f, -0x1.4fe6fap-1f},  // 319
    {0x1.8836f6p-1f, -0x1.491b7ap-1f},  // 320
    {0x1.8de60ep-1f, -0x1.42365p-1f},   // 321
    {0x1.937628p-1f, -0x1.3b37f8p-1f},  // 322
    {0x1.98e6c2p-1f, -0x1.342118p-1f},  // 323
    {0x1.9e3778p-1f, -0x1.2cf232p-1f},  // 324
    {0x1.a367e2p-1f, -0x1.25abd4p-1f},  // 325
    {0x1.a87798p-1f, -0x1.1e4e9p-1f},   // 326
    {0x1.ad663cp-1f, -0x1.16daeap-1f},  // 327
    {0x1.b2335cp-1f, -0x1.0f5194p-1f},  // 328
    {0x1.b6deap-1f, -0x1.07b314p-1f},   // 329
    {0x1.bb67acp-1f, -0x1.000006p-1f},  // 330
    {0x1.bfce2ap-1f, -0x1.f071e4p-2f},  // 331
    {0x1.c411b6p-1f, -0x1.e0bd22p-2f},  // 332
    {0x1.c83202p-1f, -0x1.d0e2e4p-2f},  // 333
    {0x1.cc2ebap-1f, -0x1.c0e464p-2f},  // 334
    {0x1.d0079p-1f, -0x1.b0c2e4p-2f},   // 335
    {0x1.d3bc3ep-1f, -0x1.a07f88p-2f},  // 336
    {0x1.d74c6ap-1f, -0x1.901bcep-2f},  // 337
    {0x1.dab7d8p-1f, -0x1.7f98e2p-2f},  // 338
    {0x1.ddfe4p-1f, -0x1.6ef80ap-2f},   // 339
    {0x1.e11f62p-1f, -0x1.5e3a96p-2f},  // 340
    {0x1.e41b04p-1f, -0x1.4d61b4p-2f},  // 341
    {0x1.e6f0e2p-1f, -0x1.3c6efp-2f},   // 342
    {0x1.e9a0c6p-1f, -0x1.2b638p-2f},   // 343
    {0x1.ec2a7cp-1f, -0x1.1a40b8p-2f},  // 344
    {0x1.ee8dd2p-1f, -0x1.0907ecp-2f},  // 345
    {0x1.f0ca9cp-1f, -0x1.ef74aep-3f},  // 346
    {0x1.f2e0a2p-1f, -0x1.ccb32p-3f},   // 347
    {0x1.f4cfc2p-1f, -0x1.a9cda4p-3f},  // 348
    {0x1.f697d6p-1f, -0x1.86c6f4p-3f},  // 349
    {0x1.f838b8p-1f, -0x1.63a1ccp-3f},  // 350
    {0x1.f9b24ap-1f, -0x1.4060a8p-3f},  // 351
    {0x1.fb046ap-1f, -0x1.1d06c8p-3f},  // 352
    {0x1.fc2f02p-1f, -0x1.f32d5cp-4f},  // 353
    {0x1.fd31f8p-1f, -0x1.ac263cp-4f},  // 354
    {0x1.fe0d3ap-1f, -0x1.64fdb8p-4f},  // 355
    {0x1.fec0b8p-1f, -0x1.1db8dep-4f},  // 356
    {0x1.ff4c5ep-1f, -0x1.acbc78p-5f},  // 357
    {0x1.ffb028p-1f, -0x1.1de5c4p-5f},  // 358
    {0x1.ffec0ap-1f, -0x1.1df18cp-6f},  // 359
    {0x1p+0f, 0x1.777a5cp-23f},         // 360
};

// atanBoundaries[n - 1] is the least double q for which atan(q) x 57.2957763671875
// truncates to n or more. The truncated angle of a slope is then the number of
// boundaries at or below its magnitude: comparisons only, exact on every program.
constexpr double atanBoundaries[89] = {
    0x1.1dfbda4888c75p-6, // 1
    0x1.1e122a651e315p-5, // 2
    0x1.ad5315cea8aefp-5, // 3
    0x1.1e6b94af46d62p-4, // 4
    0x1.665a84959f086p-4, // 5
    0x1.ae81c8e1ae374p-4, // 6
    0x1.f6ecf36c6e658p-4, // 7
    0x1.1fd3e09302e7dp-3, // 8
    0x1.445f10eae3457p-3, // 9
    0x1.691e200fddf4cp-3, // 10
    0x1.8e1744edbe013p-3, // 11
    0x1.b350dc645b32bp-3, // 12
    0x1.d8d16dd76e324p-3, // 13
    0x1.fe9faffb23684p-3, // 14
    0x1.126146f29b215p-2, // 15
    0x1.25a096358649fp-2, // 16
    0x1.391177eb08645p-2, // 17
    0x1.4cb7c0fc366bap-2, // 18
    0x1.60976c56a55ffp-2, // 19
    0x1.74b49e68733bfp-2, // 20
    0x1.8913a8df06915p-2, // 21
    0x1.9db90eb0122d2p-2, // 22
    0x1.b2a9887544621p-2, // 23
    0x1.c7ea0924029a6p-2, // 24
    0x1.dd7fc32bae3f1p-2, // 25
    0x1.f3702e06354c2p-2, // 26
    0x1.04e0862412be0p-1, // 27
    0x1.103c391f922cbp-1, // 28
    0x1.1bce6697ccd85p-1, // 29
    0x1.279a75a247aa0p-1, // 30
    0x1.33a40223aac0dp-1, // 31
    0x1.3feee19bb6addp-1, // 32
    0x1.4c7f286f52544p-1, // 33
    0x1.59592fc0a25aep-1, // 34
    0x1.66819be769b57p-1, // 35
    0x1.73fd639ea4052p-1, // 36
    0x1.81d1d7ff710dep-1, // 37
    0x1.9004ad651abacp-1, // 38
    0x1.9e9c055a589b0p-1, // 39
    0x1.ad9e79b515bfcp-1, // 40
    0x1.bd13290c11691p-1, // 41
    0x1.cd01c4b8ea3fap-1, // 42
    0x1.dd72a0a1bd132p-1, // 43
    0x1.ee6ec50fc813ep-1, // 44
    0x1.000001726d07ep+0, // 45
    0x1.0918854818f81p+0, // 46
    0x1.1286c31ab5f63p+0, // 47
    0x1.1c511bc6f691fp+0, // 48
    0x1.267e8d13ee167p+0, // 49
    0x1.3116c56328184p+0, // 50
    0x1.3c223a6740ca3p+0, // 51
    0x1.47aa436fb4ea9p+0, // 52
    0x1.53b937f77ae10p+0, // 53
    0x1.605a934a88283p+0, // 54
    0x1.6d9b1e46e28dbp+0, // 55
    0x1.7b89207b2ef9ap+0, // 56
    0x1.8a349a32bae37p+0, // 57
    0x1.99af8962fc5eep+0, // 58
    0x1.aa0e3bef8b4e3p+0, // 59
    0x1.bb67b2615238ap+0, // 60
    0x1.cdd617097f55ap+0, // 61
    0x1.e1774eab2e13ap+0, // 62
    0x1.f66da94a00f84p+0, // 63
    0x1.06705de297c60p+1, // 64
    0x1.127f36d5c13e4p+1, // 65
    0x1.1f7e2541c592ap+1, // 66
    0x1.2d8c9587d54d9p+1, // 67
    0x1.3ccfa9464d53fp+1, // 68
    0x1.4d739349ab2b4p+1, // 69
    0x1.5fad5bdeff4eap+1, // 70
    0x1.73bd33fca4556p+1, // 71
    0x1.89f18ecd768c5p+1, // 72
    0x1.a2ab534ea7b36p+1, // 73
    0x1.be63a088590cfp+1, // 74
    0x1.ddb3e042d7215p+1, // 75
    0x1.00b0a7bb69213p+2, // 76
    0x1.1536ecb3958afp+2, // 77
    0x1.2d18b023abd1cp+2, // 78
    0x1.4940683576de7p+2, // 79
    0x1.6af652af5360ep+2, // 80
    0x1.94148e897341ap+2, // 81
    0x1.c76248b44ac48p+2, // 82
    0x1.049e87a190d84p+3, // 83
    0x1.3075bbe4f016ep+3, // 84
    0x1.6dc31388fd74cp+3, // 85
    0x1.c99f325c45a09p+3, // 86
    0x1.314c75e6740e8p+4, // 87
    0x1.ca2e60860ed8dp+4, // 88
    0x1.ca526a363104bp+5, // 89
};

} // namespace

CosSin cosSinOfDegrees(int degrees) {
    // Aim angles stay within -89..269. Anything beyond the table is first brought
    // into it by whole turns: the same bits on every program, if not the C
    // library's own for such a far-out argument.
    if (degrees > 360 || degrees < -360) degrees %= 360;
    return wholeDegrees[degrees + 360];
}

int atanWholeDegrees(double slope) {
    if (std::isnan(slope)) return 0;
    const double magnitude = std::fabs(slope);
    const int n = static_cast<int>(
        std::upper_bound(std::begin(atanBoundaries), std::end(atanBoundaries), magnitude) -
        std::begin(atanBoundaries));
    return slope < 0.0 ? -n : n;
}
