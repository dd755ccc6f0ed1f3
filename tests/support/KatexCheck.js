// Renders every line of a file as one formula with KaTeX, stopping at no error: prints each
// line KaTeX refuses with its message and exits with 1 when there was one.
// Usage: node KatexCheck.js <katex package folder> <file>
'use strict';
const fs = require('fs');
const katex = require(process.argv[2]);
const lines = fs.readFileSync(process.argv[3], 'utf8').split('\n').filter((l) => l.length > 0);
let refused = 0;
lines.forEach((latex, i) => {
    try {
        // Compatibility remarks (a Unicode character in text mode) are not errors.
        katex.renderToString(latex, {throwOnError: true, strict: 'ignore'});
    } catch (e) {
        if (++refused <= 20) console.log(`formula ${i + 1}: ${latex}\n  ${e.message}`);
    }
});
console.log(`KaTeX ${katex.version}: ${lines.length} formulas, ${refused} refused`);
process.exit(refused ? 1 : 0);
