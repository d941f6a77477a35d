/ utilities: string helpers, retries and timers

\c 25 200
\P 12

trimAll:{[s] trim each s}
pad:{[n;s] (neg n)$s}
ensureSym:{$[-11h=type x; x; `$string x]}

retry:{[f;n]
  i:0;
  while[i<n;
    r:@[f;::;{(`err;x)}];
    if[not `err~first r; :r];
    i+:1];
  '"retry: gave up after ",string n}

/ dictionary helpers
merge:{x,y}
dflt:`timeout`retries`verbose!(30;3;0b)

/
  ((nested)) [brackets] {braces} inside a block comment
  "a string that never closes
\

timer:{[f] st:.z.p; r:f[]; (r; .z.p-st)}
esc:"tab\there\tnewline\nquote\"backslash\\"
odd:"ends with two backslashes\\\\"
after:`ok
sym:`$"with space"
nums:0 1 2 3 4 5 6 7 8 9 10 100 1000 -1 -0.5 1.0 2.5e 3f
guid:"G"$"8c680a01-5a49-5aab-5a65-d4bfddb6a661"
ts:2024.02.29D23:59:59.999999999
sel:select from ([] a:1 2 3; b:`x`y`z) where a>1
upd:update c:a*2 from ([] a:1 2 3)
del:delete from `t where a=1
ex:exec a from ([] a:1 2 3)
