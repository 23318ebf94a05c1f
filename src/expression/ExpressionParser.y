/* Grammar of the expression language: one or more lines, each an expression
   followed by a line end. Operators and prefix functions bind by the
   precedence declarations below, loosest first. The actions evaluate
   directly and let the compiler record what they did. */

%code top {
/* The stack starts at 200 entries and doubles up to 10000; deeper nesting
   ends with "memory exhausted". */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
}

%code requires {
class ExpressionCompiler;
typedef void* yyscan_t;
}

%code {
#include "expression/ExpressionCompiler.h"

int vexaexprlex(VEXAEXPRSTYPE* lvalp, yyscan_t scanner);

static void vexaexprerror(ExpressionCompiler* compiler, yyscan_t, const char* message)
{
    compiler->error(message);
}

using Op = ExpressionProgram::Op;
}

%define api.pure full
%define api.prefix {vexaexpr}
%define api.token.prefix {TOK_}
%define parse.error simple
%lex-param {yyscan_t scanner}
%parse-param {ExpressionCompiler* compiler} {yyscan_t scanner}
%expect 0

%union {
    double num;
    int code;
}

%token <num> NUM
%token <code> VAR
%token PI E
%token <code> FUNA FUNB MOD FUNC2 FUNC4 DOC0
%type <num> exp

%left '+' '-'
%left '*' '/' '%'
%precedence FUNA
%left MOD
%precedence FUNB
%left '^'
%precedence NEG

%%

input:
    line
  | input line
  ;

line:
    exp '\n'                  { compiler->line($1); }
  ;

exp:
    NUM                       { $$ = compiler->constant($1); }
  | VAR                       { $$ = compiler->variable($1); }
  | PI                        { $$ = compiler->constant(3.141592653589793); }
  | E                         { $$ = compiler->constant(2.718281828459045); }
  | DOC0                      { $$ = compiler->documentValue($1); }
  | '(' exp ')'               { $$ = $2; }
  | FUNC2 '(' exp ';' exp ')' { $$ = compiler->call2($1, $3, $5); }
  | FUNC4 '(' exp ';' exp ';' exp ';' exp ')'
                              { $$ = compiler->call4($1, $3, $5, $7, $9); }
  | exp '+' exp               { $$ = compiler->binary(Op::Add, $1, $3); }
  | exp '-' exp               { $$ = compiler->binary(Op::Sub, $1, $3); }
  | exp '*' exp               { $$ = compiler->binary(Op::Mul, $1, $3); }
  | exp '/' exp               { $$ = compiler->binary(Op::Div, $1, $3); }
  | exp '%' exp               { $$ = compiler->binary(Op::Mod, $1, $3); }
  | FUNA exp                  { $$ = compiler->prefix($1, $2); }
  | exp MOD exp               { $$ = compiler->binary(Op::Mod, $1, $3); }
  | FUNB exp                  { $$ = compiler->prefix($1, $2); }
  | exp '^' exp               { $$ = compiler->binary(Op::Pow, $1, $3); }
  | '-' exp %prec NEG         { $$ = compiler->negate($2); }
  ;

%%
