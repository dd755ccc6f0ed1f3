// KaTeX as the judge of the real-world corpus.
//   node KatexCorpus.js render <katex folder> <formulas> <out>
//     writes KaTeX's MathML of each formula, one a line; exits with 1 when KaTeX refuses one.
//   node KatexCorpus.js compare <katex folder> <formulas> <pairs>
//     each pair line is "<formula number>\t<reader>\t<our LaTeX>": KaTeX's MathML of our LaTeX
//     must mean what its MathML of the formula means; prints each difference, exits with 1 if any.
'use strict';
const fs = require('fs');
const [mode, katexDir, formulaFile, otherFile] = process.argv.slice(2);
const katex = require(katexDir);

// Lines with something in them; the corpus's comments ("%") are not formulas.
const readLines = (file) => fs.readFileSync(file, 'utf8').split('\n')
    .filter((l) => l.length > 0 && !l.startsWith('%'));

function mathml(latex) {
    const options = {output: 'mathml', throwOnError: true, strict: 'ignore'};
    const html = katex.renderToString(latex, options);
    return html.slice(html.indexOf('<math'), html.lastIndexOf('</math>') + 7).replace(/\n/g, ' ');
}

// A colour by its hex value: "red", "#F00" and "#ff0000" are one colour.
const NAMED = {red: '#ff0000', green: '#008000', blue: '#0000ff', black: '#000000',
    white: '#ffffff', magenta: '#ff00ff'};
function colour(value) {
    const v = NAMED[value.toLowerCase()] || value.toLowerCase();
    return /^#[0-9a-f]{3}$/.test(v) ? v.replace(/[0-9a-f]/g, '$&$&') : v;
}

// KaTeX writes plain, well-formed markup: tags, text, a few entities.
function parse(xml) {
    const root = {name: '#root', children: []};
    const stack = [root];
    for (const [, tag, text] of xml.matchAll(/(<[^>]*>)|([^<]+)/g)) {
        const top = stack[stack.length - 1];
        if (text !== undefined) {
            top.children.push(text);
        } else if (tag.startsWith('</')) {
            stack.pop();
        } else {
            const name = tag.match(/^<([\w:-]+)/)[1];
            const variant = tag.match(/(mathvariant|mathcolor)="([^"]*)"/);
            const node = {name, variant: variant ? colour(variant[2]) : '', children: []};
            top.children.push(node);
            if (!tag.endsWith('/>')) stack.push(node);
        }
    }
    return root;
}

// Rows that only group: their children count as the parent's where the parent is a row itself.
const ROWS = new Set(['#root', 'math', 'semantics', 'mrow', 'mstyle', 'msqrt', 'mtd', 'mpadded',
    'mphantom', 'menclose']);
const BLANK = /^[\s\u00a0\u2000-\u200b\u2063\u205f\u3000]*$/;

// Limits under and over a large operator mean what its scripts mean.
const SCRIPTS = {munder: 'msub', mover: 'msup', munderover: 'msubsup'};

// A script that holds nothing is no script.
function withoutEmptyScripts(node) {
    const empty = (c) => c && c.name === 'mrow' && c.children.length === 0;
    const [base, lower, upper] = node.children;
    if (node.name === 'msub' || node.name === 'msup') return empty(lower) ? base : node;
    if (node.name !== 'msubsup') return node;
    if (empty(upper)) return {...node, name: 'msub', children: [base, lower]};
    if (empty(lower)) return {...node, name: 'msup', children: [base, upper]};
    return node;
}

// What changes no meaning goes: the source annotation, attributes other than mathvariant and
// mathcolor (a letter's style and colour are meaning, colours compared by value; stretchiness,
// display style, padding and spacing hints are not), "normal" on a name of several letters and
// on an operator (their default), spaces (mspace, phantoms, blank or invisible mtext, empty
// delimiters), rows that only group, empty scripts, limits against scripts, an upright sign as
// identifier against the same sign as operator, "-" against U+2212, "|" against U+2223 and a
// character against its canonical equivalent ("=" with a combining stroke is "≠").
function normal(node) {
    if (typeof node === 'string') {
        const t = node.replace(/&amp;/g, '&').replace(/&lt;/g, '<').replace(/&gt;/g, '>')
            .replace(/&quot;/g, '"').replace(/-/g, '\u2212').replace(/\u2223/g, '|')
            .normalize('NFC').trim();
        return t ? [t] : [];
    }
    if (['annotation', 'mspace', 'mphantom'].includes(node.name)) return [];
    if (node.name === 'mtext' && node.children.every((c) => typeof c === 'string' && BLANK.test(c)))
        return [];
    let children = [];
    for (const c of node.children)
        for (const n of normal(c))
            children.push(n);
    const grouping = node.name === 'mpadded' || (node.name === 'mstyle' && !node.variant);
    let name = grouping ? 'mrow' : node.name;
    if (name === 'mo' && children.length === 0) return [];
    if (ROWS.has(name))
        children = children.flatMap((c) => (c.name === 'mrow' ? c.children : [c]));
    if (name === 'mrow' && children.length === 1) return children;
    if (SCRIPTS[name] && children[0] && children[0].name === 'mo') name = SCRIPTS[name];
    let variant = node.variant;
    const chars = [...children.join('')];
    if (variant === 'normal' && (name === 'mo' || (name === 'mi' && chars.length > 1))) variant = '';
    if (name === 'mi' && variant === 'normal' && chars.length === 1 && !/\p{L}/u.test(chars[0])) {
        name = 'mo';
        variant = '';
    }
    const result = withoutEmptyScripts({name, variant, children});
    return [result];
}

function show(nodes) {
    return nodes.map((n) => (typeof n === 'string' ? n :
        `<${n.name}${n.variant ? ':' + n.variant : ''}>${show(n.children)}</${n.name}>`)).join('');
}

const meaning = (latex) => show(normal(parse(mathml(latex))))
    .replace(/^<#root><math><semantics>|<\/semantics><\/math><\/#root>$/g, '');
function meaningOrRefusal(latex) {
    try { return meaning(latex); } catch (e) { return 'KaTeX: ' + e.message; }
}
const formulas = readLines(formulaFile);
let faults = 0;
if (mode === 'render') {
    const out = formulas.map((latex, i) => {
        try {
            return mathml(latex);
        } catch (e) {
            console.log(`formula ${i + 1}: ${latex}\n  KaTeX: ${e.message}`);
            ++faults;
            return '';
        }
    });
    fs.writeFileSync(otherFile, out.join('\n') + '\n');
} else {
    const pairs = readLines(otherFile);
    for (const pair of pairs) {
        const [number, reader, ours] = pair.split('\t');
        const source = formulas[Number(number) - 1];
        const got = meaningOrRefusal(ours), want = meaning(source);
        if (got === want) continue;
        ++faults;
        console.log(`formula ${number} through ${reader}: ${source}\n  we wrote: ${ours}\n` +
                    `  KaTeX of the formula: ${want}\n  KaTeX of ours:        ${got}`);
    }
    console.log(`${pairs.length} pastes without a reported change, ${faults} changed the meaning`);
}
process.exit(faults ? 1 : 0);
