// The bench's workload: opening games and middle-game and end-game positions.
#pragma once

namespace shogi::bench {

// Opening games, both sides played by the computer from move 1 up to `lastMove` (at most 40).
// The forced moves (USI, from the start position) are played whatever the side to move chose;
// the computer still thinks on each of those positions. `second` is the clock's seconds field,
// which picks among book moves. Together they take the book, all four formations and the
// look-ahead's acceptance and refusal of formation moves; a game ends before the main search
// would take over for long.
struct OpeningGame {
  const char* forcedMoves;
  bool blackBook;
  bool whiteBook;
  int second;
  int lastMove;
};

inline constexpr OpeningGame kOpeningGames[] = {
    {"", true, true, 0, 40},  // book to move 22, then formation 4 for both
    {"", true, true, 1, 31},  // 4th-file rook against static rook: formations 1, 2 and 3
    {"7g7f 8c8d", false, true, 0, 31},
    // The book off: the book still names the opening type, the formations choose.
    {"7g7f 8c8d 7i6h 3c3d 6g6f 7a6b 5g5f 5c5d", false, false, 0, 40},  // yagura
    {"2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d", false, false, 0, 40},  // double wing attack
    {"7g7f 3c3d 2g2f 4c4d 2f2e 2b3c 3i4h 8b3b", false, false, 0, 40},  // against a ranging rook
    {"7g7f 3c3d 8h2b+ 3a2b", false, false, 0, 8},                      // a bishop in hand at move 6
    {"7g7f 8c8d 7i6h 3c3d 6g6f 7a6b 2h7h", false, false, 0, 10},  // a rook on 7h seen at move 8
};

// Positions from engine self-play (white to move), fixed for benchmarks and the bench command.

inline constexpr const char* kMiddleGamePositions[] = {
    "l1k4nl/1rsg1sgb1/2n2p1pp/p1p1p1p2/1p1p5/P1PPPP2P/BPN1GGPP1/5S1R1/LKS4NL w -",
    "l1k4nl/1rsg1sgb1/2n2p1pp/2p1p1p2/1p3P2P/p1PpP4/1PN1GGPP1/1B3S1R1/LKS4NL w 2p",
    "l1k4nl/2sg1sgb1/P1n2p1pp/2p1p1p2/5P2P/prPpP4/1pN1GGPP1/1BK2S1R1/L1S4NL w 2p",
    "l1k4nl/2sg1sgb1/P1n2p1pp/2p1p1p2/5P2P/prPpP4/2NG1GPP1/4KS1R1/L1+p4NL w B2ps",
    "l1k2B1nl/2sg1sg2/P1n2p1pp/2p1p1p2/5P2P/prP1P4/2+b+p1GPP1/4sSKR1/L1+p4NL w gn2p",
    "2k4nl/l1sg1sgg1/2n2p1pp/2+B1p1p2/5P2P/prP1P4/2+b+p1KPP1/5S1R1/L1+p4NL w PSgn3p",
    "2k4nl/l1sg1sgg1/2n2p1pp/2+B1p1p2/5P2P/p1P1P4/4K1PP1/1r3S1R1/LP+p1+bS1NL w Pgn3p",
    "2k4nl/l1sg1sgg1/2n2p1pp/2+B1p1p2/5Pn1P/p1P1PKP2/7P1/3+r1S1R1/LP+p2+b1NL w Pg3ps",
    "2k4nl/l1sg1sgg1/2n2p1pp/2+B1p1p2/5Pn1P/p1P1P1P2/4sS1P1/7K1/LP+p2+b1NL w GPR3pr",
    "lnk2gsnl/1s3r3/ppp1gp1p1/4pbp2/P1Pp4p/4PP3/1PBPS1PPP/2S1G1R2/LN1GK2NL w -",
    "lnk1g1snl/1s3r3/ppp1g1bp1/4ppp2/P1Pp1P2p/4P4/1PBPS1PPP/2S1G1R2/LN1G2KNL w -",
    "lnk1g1snl/1s3r3/ppp1g1b2/4p1pp1/P1P2p2p/3pP4/1PB1S1PPP/2S1GR1K1/LN1G3NL w 2p",
    "lnk1g2nl/1s3rs2/ppp1g1b2/4p1p2/P1PP3pp/3SPp3/1PB3PPP/2SGGR1K1/LN5NL w 2p",
    "lnk1g2nl/1s4s2/ppp1g1b2/3Pp1p2/P1P2r2p/4Pp1P1/1PB1S1P1P/2SGGR1K1/LN5NL w 2Pp",
    "lnk1g2nl/1s4s2/ppp1g1b2/3Pppp2/P1rp4p/4P1PP1/1PB1SR2P/2SGG2K1/LN5NL w 3P",
    "lnk1g2nl/1s3b3/ppp1gs3/3Pppp2/P2p1P2p/1Br1P1PP1/1PN1SR2P/2SGG2K1/L6NL w 2P",
    "lnk1g2nl/1s2sb3/ppp1g4/3PpPp2/P2N4p/1P1pP1PP1/4SR2P/2SGG2K1/L6NL w 3PRb",
    "lnk1g2nl/1s2sb3/ppp1N4/3bpPp2/P7p/1P2P1PP1/3GSRG1P/2S1G2K1/L6NL w 4PRp",
    "lnk1g2nl/1s2sb3/ppp1N2R1/3bpPp2/P8/1P2PSPP1/3G1RG1L/2S1G2K1/L6N1 w 6Pp",
    "lnk4nl/1rsg2g2/1p1pbspp1/2p1p4/pN1P4p/2P6/PP1GP1PPP/1BS2R1S1/L1K2G1NL w Pp",
    "1nk4nl/1rsg2g2/l2pbspp1/1p2p4/p1pP4p/2P6/PP1GP1PPP/1BS2R1S1/L1K2G1NL w n2p",
    "1nk4nl/1rsg2g2/l1gpbspp1/1p2p4/p1PP4p/9/PP1GP1PPP/1BS2R1S1/L1K4NL w NP2p",
    "1nk4nl/1rs1g1g2/l1gpbspp1/1p2p4/p2P2N1p/2P3P2/PP1GP2PP/1BS2R1S1/L1K4NL w 3p",
    "Snk4nl/r1s3g2/l1gpbgpp1/1p2pp3/p1PP4p/6P2/PP1GP2PP/1BS2R1S1/L1K4NL w n2p",
    "rnk4nl/2s3g2/l1g1bgpp1/1p2pp3/p1PG4p/6P2/PP2P2PP/1BSR3S1/L1K4NL w Pn3ps",
    "rnk4nl/2s3g2/l1g1bgpp1/1p2pp3/p1PG4p/3R2P2/PP2P2PP/1KSs3S1/L6NL w NP3pb",
    "rnk4nl/2s3g2/l1g1bgpp1/1p2pp3/p1P5p/6P2/PP1Gs2PP/1KS4S1/L6NL w NPB4pr",
    "rnk4nl/2s3g2/l4gpp1/1p+B1pp3/2b5p/p5P2/PP1Gs2PP/1KS4S1/L6NL w GN6pr",
    "r1k4nl/2s3g2/l1n2gpp1/1pN1pp3/2b5p/6P2/+pPKGs2PP/2S4S1/L6NL w GR7pb",
    "ln5nl/1k1r1gsb1/ppp1gppp1/3sp3p/1RPp1P3/8P/PPNPP1PP1/LB1SG4/2K2GSNL w -",
    "ln6l/1k1r1gsb1/ppp1g1np1/3sppp1p/1RPp5/8P/PPNPP1PP1/LB1SG1S2/1K3G1NL w p",
    "ln6l/1k1r2sb1/ppp1ggn2/3sp1ppp/1RPp1p3/P7P/1PNPPSPP1/LB1SGG3/1K5NL w p",
    "ln6l/1k1r2sb1/ppp1ggn2/3sp1p1p/PRPp1p3/8P/1PNPPSPG1/LB1SG4/1K5NL w P2p",
    "ln6l/1k1r2s2/ppp1ggn1b/3sp1p1p/PRPp1p1pP/4P4/1PNP2PG1/LB1SG1S2/1K5NL w Pp",
    "ln4B2/1k1r2s2/ppp1ggn2/3sp1p2/PRPp1p1pl/4P4/1PNP2PG1/LB1G2S2/1K5N1 w 2Pl2ps",
    "ln7/1k3rs2/ppp1g1n2/1l1spPp2/PRPp1p1pl/4P4/1PNP2PG1/LB1G2S2/1K1G3N1 w P2psb",
    "ln7/1k3rs2/pp+N2gn2/3sp1p2/P1Pp1p1pl/2b1P4/1P1P2PG1/LB1G2S2/1K1G3N1 w L2P3psr",
    "l8/1k3rs2/ppn2gn2/2Psp1p2/P2p1p1pl/2b1P4/1PGP2PG1/LB4+r2/1K1G1P1N1 w LPn3p2s",
    "l8/1k3rs2/pp+L2gn2/4p1p2/Pb1p1p1pl/4P4/1PGP2P+r1/LB7/1K1G1P1N1 w NPSgn4p2s",
    "ln1g2knl/5rsb1/pp1spg1p1/2pp1pp1p/4P4/2P3P2/PP1P2SPP/1B1SGR3/LN2GK1NL w p",
    "ln1g2k1l/4r1sb1/pp1s1gnp1/2ppppp1p/4P4/2P2SP1P/PP1P3P1/1B1SGR3/LN2G1KNL w p",
    "ln1g2k1l/4r1sb1/pp1s1g1p1/2ppp1p1p/4Pn3/2P2PP1P/PP1P2sP1/1B1SG4/LN2GRKNL w p",
    "ln1g2k1l/4r1sb1/pp1s1g1p1/2ppp1p1p/4Pn3/2P2sP1P/PP1P1G1P1/1B1S5/LN2GRKNL w 2P",
    "ln1g2k1l/4r1sb1/pp1s1g1p1/2p1p1p1p/3pPn3/2PBS1P1P/PP1P1R1P1/2gS5/LN2G1KNL w 2P",
    "ln1g2k1l/4r1sb1/pp1s1g1p1/2p1p1p1p/3NPn3/2PpS1P1P/PP1P1R1P1/1b1G5/L5KNL w G2Ps",
    "ln1g2k1l/4r1sb1/pp1sPg1p1/2p1p1p1p/3N+bn3/2P3P1P/PP1S1R1P1/3G3G1/6KNL w 2Pl2ps",
    "ln1g2k1l/4r1sb1/pp1sPg1p1/2p1p1p1p/3N1n3/2P3P1P/PP3S1P1/3G3G1/6KNL w 2PBl2psr",
    "ln1g2k1l/4r1sb1/pp1sPg1p1/2p1p1p1p/3N1n3/2P3P1P/PP3S1P1/3G1K1G1/2+rP1s1NL w PBl2p",
    "ln1g4l/4r1sk1/pp1sPg1p1/2p1p1p1p/3N5/2Pb2P1P/PP2GS1P1/7G1/2+rPKs1NL w NPl2pb",
    "ln1gk2nl/2s2sg2/ppp1pp+bpp/6p2/2rN5/4SP3/PPBPP1PPP/L1SG3R1/1K3G1NL w Pp",
    "ln1gk2nl/2s2sg2/ppp1pp+bpp/1b1p2p2/3N3R1/3GSP3/PP1PP1PPP/L1S4R1/1K3G1NL w P",
    "ln1gk2nl/2s2sg2/ppp1pp+bpp/3p2p2/3NR1g2/3PSP3/PP2P1PPP/L1S4R1/1K3G1NL w PB",
    "ln1gk2nl/2s2sg2/ppp1pp1pp/3p2p2/3NS1g2/3P1P3/PP2P1PPP/L1S2R3/1K5NL w PR2Bg",
    "ln1gk2nl/2s2sg2/pppnpp1pp/2PS2p2/3p2g2/3P1P3/PP2P1PPP/L1S2R3/1K5NL w GR2B",
    "ln1g1k1nl/2s2sg2/ppp2p1pp/2PSp1p2/3Pn1g2/4PP3/PPB3PPP/L1S2R3/1K5NL w GPRB",
    "ln1g3+Rl/2s1ks3/ppp2g1pp/2PSppp2/3PP1g2/5P3/PPB3PPP/L1S2R3/1K5NL w G2NPB",
    "ln2g3l/1Gs1k2+R1/ppp1s2pp/2P1ppp2/3PP1g2/5P3/PPB3PPP/L1S2R3/1K5NL w G2NPBs",
    "ln6l/1GB2g1+R1/ppp1s2pp/2k1ppp2/3PP1g2/5P3/PPB3PPP/L1S2R3/1K5NL w G2NPSps",
    "ln6l/1G1p1+R3/p+Bpk3pp/3sppp2/3PP1g2/5P3/PPB3PPP/L1S2R3/1K5NL w 2G2N2P2s",
    "l5knl/1r1s1gsb1/np1gpp1p1/p1pp2p1p/9/PPPPPP1PP/2BS2P2/4GGSR1/LN4KNL w -",
    "l5knl/1r1s1gsb1/n2gpp1p1/2pp2pPp/pp7/1PPPPP2P/2BS2P2/4GGSR1/LN4KNL w p",
    "l5knl/1r1s1gs2/n2gppb2/2pp2ppp/pp1P5/1PPBPP2P/2NS2P2/4GGSR1/L5KNL w 2p",
    "l5knl/1r1s1gs2/nP2pp3/2pg2ppp/p8/1pPSPP2P/2N3P2/4GGSR1/L5KNL w B4pb",
    "l5k+Pl/3s1gs2/nr2pp1p1/2pg1bpRp/p8/1pPSPP2P/2N3P2/4GGS2/L5KNL w NB4p",
    "l6kl/2+Bs1gs2/n3pp1p1/1rpg1bR1p/p8/2PSPP2P/1+pN3P2/4GGS2/L5KNL w NP5p",
    "l6kl/3+B1gsP1/n3pp1p1/2pg1bR1p/p8/2PSPP2P/6P2/3+pGGS2/L+r2S1KNL w Nn5p",
    "l6kl/5gsb1/n3pp1p1/2pR4p/9/2PSPP2P/2+B3P2/4+pGS2/+r3S1KNL w GNPgnl6p",
    "l2+R1l1kl/5gsb1/n3pp1p1/2p5p/9/2PSPP2P/6P2/5GS2/1R2+p1KNL w GNPgn6psb",
    "l4l1kl/2b2gsb1/n2Gpp1p1/2p+R4p/9/2PSPP2P/6P2/5GS2/1R2+p1KNL w N2Pgn5ps",
    "lnk4n1/1sg2rs1l/1pppp1bp1/p4gp1p/3P5/P1P1P2R1/1P3PPPP/1BSG1G3/LN2K1SNL w p",
    "lnk4n1/1s1g1rs1l/1pppp1b2/p4gpp1/3P4p/P1P1PP1R1/1P1S2PPP/1B1G1G1S1/LN2K2NL w p",
    "lnk4n1/1s1g1+B2l/1pppp1s2/p5pp1/3P4p/P1P1PP1g1/1P1S2PPP/3G1G1S1/LN2K2NL w Rprb",
    "lnk4n1/1s1g1s1Rl/1pppp4/p5pp1/3P4p/P1P1PP1P1/1P1S2P1P/3G1G1S1/L+r1GK2NL w np2b",
    "lnkb1+R3/1s1g1s2l/1pppp1b2/p5pp1/3P1N2p/P1P1PP1P1/1P1S2P1P/3G1G1S1/L+r1GK2NL w Pn",
    "lnkbS4/1s1g4+R/1pppp4/p5pp1/3P1l2p/P1P1PP1P1/1P1S2P1P/3G1G1S1/b+r1GK2NL w LP2n",
    "ln1b5/1s1kn3+R/1pppp4/p5pp1/3P4p/P1P1Pl1P1/1P4P1P/3G1G1S1/bS1GK2NL w GLPRnps",
    "ln1bsG3/1s1kn3+R/1pppp4/p5pp1/3P2n1p/P1P+bPP1P1/1P4P1P/3G1G1S1/1S1GK2NL w 2LRp",
    "ln1bsGR2/1s1kn3+R/1pppp4/p5p2/3P2npp/P1P+bPP1P1/1P4P1P/3G1G1S1/1S1GK2NL w 2LP",
    "ln1bG1R2/1s1kn3+R/1pppp4/p5p2/3P2n1p/P1P1PP1p1/1P4P1P/3G2KS1/1S1G3NL w G2LPSBp",
};

}  // namespace shogi::bench
