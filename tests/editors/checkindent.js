// checkindent.js - re-indents a badly indented script by the indentation rules of the VS Code
// language configuration, as the editor's "Reindent Lines" applies them (the line after one that
// matches increaseIndentPattern goes one level in, a line that matches decreaseIndentPattern one
// level out), and compares the result with the expected text.
// Usage: node checkindent.js LANGUAGE_CONFIGURATION MESSY EXPECTED
'use strict';
const fs = require('fs');

const [configfile, messyfile, expectedfile] = process.argv.slice(2);
const indentunit = '  ';

// The configuration is JSON with comments; ours has them only on whole lines.
const config = JSON.parse(fs.readFileSync(configfile, 'utf8').replace(/^\s*\/\/.*$/gm, ''));
const increase = new RegExp(config.indentationRules.increaseIndentPattern);
const decrease = new RegExp(config.indentationRules.decreaseIndentPattern);

let level = 0;
const reindented = fs.readFileSync(messyfile, 'utf8').split('\n').map((line) => {
  const text = line.trimStart();
  if (text === '') return '';
  const mine = decrease.test(text) ? Math.max(0, level - 1) : level;
  level = mine + (increase.test(text) ? 1 : 0);
  return indentunit.repeat(mine) + text;
});

const expected = fs.readFileSync(expectedfile, 'utf8').split('\n');
let differences = 0;
expected.forEach((line, i) => {
  if (reindented[i] !== line && differences++ < 10) {
    console.log(`line ${i + 1}: got ${JSON.stringify(reindented[i])}, expected ${JSON.stringify(line)}`);
  }
});
if (reindented.length !== expected.length) ++differences;
console.log(`${expected.length} lines, ${differences} differences`);
process.exitCode = differences === 0 ? 0 : 1;
