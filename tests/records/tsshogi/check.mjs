// Cross-check of the game's record files with tsshogi, an independent implementation.
//   node check.mjs <module dir> <golden dir> <work dir> <shogi-record>
// 1. tsshogi reads every golden KIF, KIFU and CSA file to the moves of the golden USI line
//    of the same game and to the end the file states.
// 2. tsshogi writes each game as KIF and CSA; shogi-record reads those to the same moves.
// Exits 77 (skipped) when tsshogi is not installed.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";

const [moduleDir, goldenDir, workDir, tool] = process.argv.slice(2);
let ts;
try {
  ts = await import(path.join(moduleDir, "node_modules/tsshogi/dist/esm/index.mjs"));
} catch (e) {
  console.log(`tsshogi is not installed in ${moduleDir} (npm install failed?): skipped`);
  process.exit(77);
}

const endings = { "投了": "resign", "詰み": "mate", "中断": "interrupt" };
let failures = 0;
const fail = (what) => {
  console.log("FAIL " + what);
  failures++;
};
const usiOf = (record) => record.getUSI({ allMoves: true });
const lastSpecial = (record) => {
  const last = record.moves[record.moves.length - 1];
  return last && last.move.type ? last.move.type : "none";
};

fs.mkdirSync(workDir, { recursive: true });
for (const name of fs.readdirSync(goldenDir).sort()) {
  const ext = path.extname(name);
  if (![".kif", ".kifu", ".csa"].includes(ext)) continue;
  const stem = path.basename(name, ext);
  const usiFile = path.join(goldenDir, stem + ".usi");
  if (!fs.existsSync(usiFile)) continue;
  const expected = fs.readFileSync(usiFile, "utf8").trim();
  const bytes = fs.readFileSync(path.join(goldenDir, name));
  const text = new TextDecoder(ext === ".kif" ? "shift_jis" : "utf-8").decode(bytes);
  // tsshogi 2.2's KIF reader knows no "不成" (its move pattern takes only "成"); a move
  // without "成" is the same declined promotion, so it gets the text without the word.
  const record = ext === ".csa" ? ts.importCSA(text) : ts.importKIF(text.replaceAll("不成(", "("));
  if (record instanceof Error) {
    fail(`${name}: tsshogi refused it: ${record.message}`);
    continue;
  }
  if (usiOf(record) !== expected) fail(`${name}: tsshogi reads other moves`);
  // The thinking time of every move, from the KIF time column or the CSA T line.
  const times = [...text.matchAll(ext === ".csa" ? /^T(\d+)$/gm : /\( *(\d+):(\d+)\//g)].map(
    (m) => (m.length > 2 ? Number(m[1]) * 60 + Number(m[2]) : Number(m[1])));
  record.moves.slice(1, times.length + 1).forEach((node, i) => {
    if (node.elapsedMs !== times[i] * 1000) fail(`${name}: tsshogi reads move ${i + 1}'s time as ${node.elapsedMs} ms`);
  });
  const stated = text.match(/^ *\d+ (投了|詰み|中断)/m);
  if (stated && lastSpecial(record) !== endings[stated[1]])
    fail(`${name}: tsshogi reads the end as ${lastSpecial(record)}`);

  // tsshogi's own files of the game, read back by the game.
  for (const [format, write] of [["kifu", ts.exportKIF], ["csa", ts.exportCSA]]) {
    const out = path.join(workDir, `${stem}-from-${ext.slice(1)}.${format}`);
    fs.writeFileSync(out, write(record));
    let read;
    try {
      read = execFileSync(tool, ["convert", out, "-", "--to", "usi"], { encoding: "utf8" });
    } catch (e) {
      fail(`${path.basename(out)}: the game refused tsshogi's file: ${e.stderr}`);
      continue;
    }
    if (read.trim() !== expected) fail(`${path.basename(out)}: the game reads other moves`);
  }
  console.log(`checked ${name}`);
}
process.exit(failures === 0 ? 0 : 1);
